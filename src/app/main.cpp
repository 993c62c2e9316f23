#include "displayloss.h"
#include "glerrors.h"
#include "glwidget.h"
#include "soundtrackclock.h"
#include "soundtrackplayer.h"

#include <QGuiApplication>

namespace {
const QSize NormalSize(640, 480);

// The frame timer asks for a frame every 30 ms, and the toolkit waits 5 ms
// more before it paints one. Where a frame takes more than 25 ms, as at
// 1920 x 1080 on a software renderer, the frames then miss the timer's ticks:
// 27 a second instead of 33. So a frame is painted as soon as it is asked
// for, unless the user has set the wait. Read once, before the first frame.
void paintWithoutWaiting()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_UPDATE_IDLE_TIME"))
        qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
}
} // namespace

int main(int argc, char **argv)
{
    Q_INIT_RESOURCE(resources);
    paintWithoutWaiting();
    SoundtrackPlayer::setUpEnvironment();

    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName("Plok");
    DisplayLoss::endAtOnce();

    // The clock reads the player, and the window the clock, to the end.
    SoundtrackPlayer soundtrack;
    SoundtrackClock clock;
    GLWidget widget(&clock);
    // The music starts once the first frame is on the screen, and the
    // timeline waits for it. Making the player writes the environment
    // (Phonon hands its stream's properties to PulseAudio so), which the
    // scenes' rehearsal thread reads through Mesa: that waits for the player.
    widget.holdRehearsal();
    QObject::connect(&soundtrack, &SoundtrackPlayer::playing, [&] {
        DisplayLoss::stayFirstAtExit();
        clock.follow([&soundtrack] { return soundtrack.position(); }, soundtrack.positionLead());
        widget.releaseRehearsal();
    });
    QMetaObject::Connection firstFrame;
    firstFrame = QObject::connect(&widget, &QOpenGLWindow::frameSwapped, [&] {
        QObject::disconnect(firstFrame);
        widget.makeCurrent();
        GLErrors::report("by its first frame");
        if (!soundtrack.play())
            widget.releaseRehearsal();
    });
    widget.resize(NormalSize);
    widget.showFullScreen();

    const int status = app.exec();
    DisplayLoss::loopEnded(status);
    soundtrack.stop();
    return status;
}
