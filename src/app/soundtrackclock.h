#ifndef SOUNDTRACKCLOCK_H
#define SOUNDTRACKCLOCK_H

#include "clock.h"

#include <QElapsedTimer>
#include <QTimer>

#include <deque>
#include <functional>

// The soundtrack's own position, so that the scene cuts land on the music:
// the player's position less how far it runs ahead of what is heard. Between
// readings, and while the music is not playing (not started yet, no
// sound server, no back end, an error, a stall), the wall clock carries the
// time on from the position heard, or from the clock's construction before
// any. A position that moves in steps (VLC's, four times a second) is read
// some time after each step: of the last seconds' readings the clock keeps
// to the one furthest ahead of the wall clock, the one read soonest after
// its step. It is read between frames as well as at each look. The time
// never goes back: when the music is behind, the timeline waits for it.
class SoundtrackClock : public Clock
{
public:
    // The player's position in ms, or -1 while the music is not playing.
    using Position = std::function<qint64()>;

    SoundtrackClock();

    // From now on the clock follows the player's position, which runs
    // positionLead ms ahead of the music heard.
    void follow(Position position, qint64 positionLead);
    qint64 elapsed() const override;

private:
    struct Reading
    {
        qint64 at; // on the wall clock
        qint64 ahead; // the position less the wall clock
    };

    void listen() const;
    void hear(qint64 position, qint64 now) const;
    qint64 furthestAhead(qint64 now) const;

    Position position;
    qint64 positionLead = 0;
    QElapsedTimer wall;
    QTimer listening;
    mutable qint64 heard = -1;
    // The readings that may still be the furthest ahead, the furthest first:
    // each is newer than, and behind, the one before it.
    mutable std::deque<Reading> readings;
    mutable qint64 latest = 0;
};

#endif // SOUNDTRACKCLOCK_H
