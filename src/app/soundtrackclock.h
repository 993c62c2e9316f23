#ifndef SOUNDTRACKCLOCK_H
#define SOUNDTRACKCLOCK_H

#include "clock.h"

#include <QElapsedTimer>

namespace Phonon {
class MediaObject;
}

// The soundtrack's own position, so that the scene cuts land on the music:
// the player's position less how far it runs ahead of what is heard. Between
// readings, and while the music is not playing (not started yet, no
// sound server, no back end, an error, a stall), the wall clock carries the
// time on from the last position heard, or from the clock's construction
// before any. The time never goes back: when the music is behind, the
// timeline waits for it.
class SoundtrackClock : public Clock
{
public:
    SoundtrackClock();

    // From now on the clock follows this player's position, which runs
    // positionLead ms ahead of the music heard.
    void follow(const Phonon::MediaObject *player, qint64 positionLead);
    qint64 elapsed() const override;

private:
    const Phonon::MediaObject *player = nullptr;
    qint64 positionLead = 0;
    QElapsedTimer wall;
    mutable qint64 heard = -1;
    mutable qint64 heardAt = 0;
    mutable qint64 latest = 0;
};

#endif // SOUNDTRACKCLOCK_H
