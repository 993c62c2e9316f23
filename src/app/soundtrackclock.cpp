#include "soundtrackclock.h"

#include <phonon/MediaObject>

namespace {
// How long a reading may set the clock; a stall of the music shows after it.
// The demo reads VLC's position up to a frame (30 ms) after each of its
// steps, four a second: the soonest of a dozen readings is within a few ms.
const qint64 ReadingsKept = 3000;
} // namespace

SoundtrackClock::SoundtrackClock()
{
    wall.start();
}

void SoundtrackClock::follow(const Phonon::MediaObject *player, qint64 positionLead)
{
    this->player = player;
    this->positionLead = positionLead;
}

qint64 SoundtrackClock::elapsed() const
{
    const qint64 now = wall.elapsed();
    if (player && player->state() == Phonon::PlayingState)
        hear(player->currentTime() - positionLead, now);
    const qint64 estimate = readings.empty() ? now : now + furthestAhead(now);
    latest = qMax(latest, estimate);
    return latest;
}

void SoundtrackClock::hear(qint64 position, qint64 now) const
{
    if (position <= heard)
        return;
    heard = position;
    const qint64 ahead = position - now;
    while (!readings.empty() && readings.back().ahead <= ahead)
        readings.pop_back();
    readings.push_back({ now, ahead });
}

// The newest reading stays, however old.
qint64 SoundtrackClock::furthestAhead(qint64 now) const
{
    while (readings.size() > 1 && readings.front().at < now - ReadingsKept)
        readings.pop_front();
    return readings.front().ahead;
}
