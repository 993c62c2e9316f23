#ifndef SOUNDTRACKPLAYER_H
#define SOUNDTRACKPLAYER_H

#include <QObject>
#include <QThread>

#include <phonon/MediaObject>

// Plays the soundtrack through Phonon, or says why it cannot in one line of
// the log, once: Phonon has no back end, no sound server answers, or the
// back end fails. The back ends' own messages are kept out of the log.
class SoundtrackPlayer : public QObject
{
    Q_OBJECT

public:
    SoundtrackPlayer();
    ~SoundtrackPlayer() override;

    // Sets what the back ends read from the environment: before any thread
    // is started, since glibc's environment is not safe to change while
    // another thread reads it.
    static void setUpEnvironment();

    // Starts the music: playing() follows once the back end has loaded.
    // Returns false when the soundtrack cannot play: the timeline then keeps
    // to the wall clock.
    bool play();
    // The player's position in ms, or -1 while the music is not playing.
    qint64 position() const;
    // How far the playing player's position runs ahead of the music heard,
    // in ms.
    qint64 positionLead() const;
    // Before the application object goes: the player stays until the process
    // ends.
    void stop();

signals:
    void playing();

private:
    void startPlayer();
    QString whatPreventsPlaying() const;
    bool playsThroughVlc() const;
    void cannotPlay(const QString &reason);

    // Loads the back end, and keeps what Phonon makes there: see play().
    QThread backEnd;
    QObject onBackEnd;
    // Serves the soundtrack's device: see startPlayer().
    QThread reader;
    Phonon::MediaObject *player = nullptr;
    bool toldCannotPlay = false;
};

#endif // SOUNDTRACKPLAYER_H
