#include "displayloss.h"
#include "glwidget.h"
#include "soundtrackclock.h"

#include <QFile>
#include <QGuiApplication>
#include <QThread>

#include <phonon/MediaObject>
#include <phonon/MediaSource>

namespace {
const QSize NormalSize(640, 480);

// Phonon asks the soundtrack's device for 4 KiB at a time through the event
// loop of the thread the device lives in. A GUI thread busy painting a
// full-screen frame cannot keep up with the 88 KB a second the music needs,
// so the device is served by a thread of its own. The device, the player and
// the thread live until the process ends.
Phonon::MediaObject *playSoundtrack(QThread *reader)
{
    auto *music = new QFile(SceneDirector::SoundtrackPath);
    Phonon::MediaObject *player =
        Phonon::createPlayer(Phonon::MusicCategory, Phonon::MediaSource(music));
    reader->start();
    music->moveToThread(reader);
    DisplayLoss::stayFirstAtExit();
    player->play();
    return player;
}

// Phonon's GStreamer back end deadlocks when the application object tears
// down a player that is still reading: stopped first, it lets the process end.
void stopSoundtrack(Phonon::MediaObject *player, QThread *reader)
{
    player->stop();
    reader->quit();
    reader->wait();
}

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

    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName("Plok");
    DisplayLoss::endAtOnce();

    SoundtrackClock clock;
    GLWidget widget(&clock);
    auto *musicReader = new QThread;
    Phonon::MediaObject *player = nullptr;
    // The sound back end takes from 30 ms (GStreamer) to 300 ms (VLC) to
    // start: it starts once the first frame is on the screen, and the
    // timeline waits for the music.
    QMetaObject::Connection firstFrame;
    firstFrame = QObject::connect(&widget, &QOpenGLWindow::frameSwapped, [&] {
        QObject::disconnect(firstFrame);
        player = playSoundtrack(musicReader);
        clock.follow(player);
    });
    widget.resize(NormalSize);
    widget.showFullScreen();

    const int status = app.exec();
    DisplayLoss::loopEnded();
    if (player)
        stopSoundtrack(player, musicReader);
    return status;
}
