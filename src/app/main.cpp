#include "glwidget.h"

#include <QApplication>
#include <QFile>

#include <phonon/MediaObject>
#include <phonon/MediaSource>

int main(int argc, char **argv)
{
    Q_INIT_RESOURCE(resources);

    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("Plok");

    // The soundtrack's device and player are never deleted; the media source
    // opens the device itself. Without an audio output the demo runs silently.
    auto *music = new QFile(":music.wav");
    Phonon::MediaObject *player =
        Phonon::createPlayer(Phonon::MusicCategory, Phonon::MediaSource(music));
    player->play();

    GLWidget widget;
    widget.resize(640, 480);
    widget.showFullScreen();

    const int status = app.exec();
    // Phonon's GStreamer back end deadlocks when the application object tears
    // down a player still reading from a device: the reader waits for data
    // from this thread. Stopped first, it lets the process end.
    player->stop();
    return status;
}
