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
} // namespace

int main(int argc, char **argv)
{
    Q_INIT_RESOURCE(resources);

    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName("Plok");

    auto *musicReader = new QThread;
    Phonon::MediaObject *player = playSoundtrack(musicReader);

    SoundtrackClock clock(player);
    GLWidget widget(&clock);
    widget.resize(NormalSize);
    widget.showFullScreen();

    const int status = app.exec();
    stopSoundtrack(player, musicReader);
    return status;
}
