#include "soundtrackplayer.h"

#include "scenedirector.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <phonon/BackendCapabilities>
#include <phonon/MediaSource>
#include <phonon/pulsesupport.h>

#include <algorithm>

namespace {
// Where Phonon looks for its back ends, below each of the toolkit's plugin
// folders.
const QString BackEndFolder = QStringLiteral("/" PLOK_PHONON_BACKEND_DIR_SUFFIX);

// Phonon tries every plugin folder each time it is asked for a back end and
// has none, and writes a warning each time: the demo looks first.
bool hasBackEnd()
{
    const QStringList pluginFolders = QCoreApplication::libraryPaths();
    return std::any_of(pluginFolders.cbegin(), pluginFolders.cend(), [](const QString &folder) {
        return !QDir(folder + BackEndFolder).entryList(QDir::Files).isEmpty();
    });
}

// Both back ends play through the desktop's sound server (PulseAudio, or
// PipeWire in its place). Without one they still report that they play, on
// no output at all: VLC writes three errors for every block of music it
// cannot hand on, GStreamer plays into a sink that discards it. Phonon has
// asked the server for itself before the question returns.
bool soundServerAnswers()
{
    return Phonon::PulseSupport::getInstance()->isUsable();
}

// VLC's position is the time of its own clock, which the music heard does
// not keep to: its PulseAudio output starts the music late, 40 ms by VLC's
// own log ("starting late (-40 ms)", in every run measured), and VLC lets a
// difference that small stand for the whole run. Measured against what the
// sound server played, VLC's position ran 39 ms further ahead of it than
// GStreamer's, which reads the sound server's own clock (docs/flavours.md).
const qint64 VlcPositionLead = 40;
// The back end's own player is a child of Phonon's.
const QByteArray VlcClassPrefix = QByteArrayLiteral("Phonon::VLC::");
} // namespace

SoundtrackPlayer::SoundtrackPlayer() = default;

// VLC writes its errors to standard error unless its verbosity says
// otherwise; the user may still ask for them.
void SoundtrackPlayer::setUpEnvironment()
{
    if (!qEnvironmentVariableIsSet("VLC_VERBOSE"))
        qputenv("VLC_VERBOSE", "-1");
}

SoundtrackPlayer::~SoundtrackPlayer() = default;

// Loading the back end is most of the player's start: VLC's takes 150 to
// 600 ms to load its modules, GStreamer's some 30 ms. It loads on a thread
// of its own, so that the frames go on meanwhile; the player is made on this
// thread once it has. Phonon's factory and the back end's root object are
// made on the loading thread and belong to it: it runs on until the player
// stops, so that their timers and queued signals are still delivered.
bool SoundtrackPlayer::play()
{
    const QString obstacle = whatPreventsPlaying();
    if (!obstacle.isEmpty()) {
        cannotPlay(obstacle);
        return false;
    }
    onBackEnd.moveToThread(&backEnd);
    backEnd.start();
    QMetaObject::invokeMethod(&onBackEnd, [this] {
        Phonon::BackendCapabilities::availableMimeTypes();
        QMetaObject::invokeMethod(this, &SoundtrackPlayer::startPlayer, Qt::QueuedConnection);
    });
    return true;
}

// Phonon asks the soundtrack's device for 4 KiB at a time through the event
// loop of the thread the device lives in. A GUI thread busy painting a
// full-screen frame cannot keep up with the 88 KB a second the music needs,
// so the device is served by a thread of its own. The device and the player
// live until the process ends.
void SoundtrackPlayer::startPlayer()
{
    auto *music = new QFile(SceneDirector::SoundtrackPath);
    player = Phonon::createPlayer(Phonon::MusicCategory, Phonon::MediaSource(music));
    connect(player, &Phonon::MediaObject::stateChanged, this, [this](Phonon::State state) {
        if (state == Phonon::ErrorState)
            cannotPlay(player->errorString());
    });
    reader.start();
    music->moveToThread(&reader);
    player->play();
    emit playing();
}

// Phonon's GStreamer back end deadlocks when the application object tears
// down a player that is still reading: stopped first, it lets the process end.
void SoundtrackPlayer::stop()
{
    if (player)
        player->stop();
    backEnd.quit();
    backEnd.wait();
    reader.quit();
    reader.wait();
}

qint64 SoundtrackPlayer::position() const
{
    return player && player->state() == Phonon::PlayingState ? player->currentTime() : -1;
}

qint64 SoundtrackPlayer::positionLead() const
{
    return playsThroughVlc() ? VlcPositionLead : 0;
}

bool SoundtrackPlayer::playsThroughVlc() const
{
    const QObjectList parts = player ? player->children() : QObjectList();
    return std::any_of(parts.cbegin(), parts.cend(), [](const QObject *part) {
        return QByteArray(part->metaObject()->className()).startsWith(VlcClassPrefix);
    });
}

QString SoundtrackPlayer::whatPreventsPlaying() const
{
    if (!hasBackEnd())
        return tr("Phonon has no back end");
    if (!soundServerAnswers())
        return tr("no sound server answers");
    return QString();
}

void SoundtrackPlayer::cannotPlay(const QString &reason)
{
    if (toldCannotPlay)
        return;
    toldCannotPlay = true;
    const QString why = reason.isEmpty() ? tr("its sound back end failed") : reason;
    qWarning("Plok cannot play its soundtrack: %s.", qUtf8Printable(why));
}
