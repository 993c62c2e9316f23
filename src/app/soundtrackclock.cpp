#include "soundtrackclock.h"

namespace {
// How long a reading may set the clock; a stall of the music shows after it.
// Of a dozen of VLC's steps, four a second, the soonest read is within a
// few ms of its step.
const qint64 ReadingsKept = 3000;
// Between frames the position is read this often too, not only when the
// timeline looks: VLC's cuts then came 4 to 5 ms sooner, nearer the music
// (a median of 11 ms late instead of 16 at 640 x 480, 16 instead of 21 at
// 1920 x 1080, side by side). While a frame is painted it is not read.
const int ListenInterval = 5;
} // namespace

SoundtrackClock::SoundtrackClock()
{
    wall.start();
    listening.setTimerType(Qt::PreciseTimer);
    listening.setInterval(ListenInterval);
    QObject::connect(&listening, &QTimer::timeout, [this] { listen(); });
}

void SoundtrackClock::follow(Position position, qint64 positionLead)
{
    this->position = std::move(position);
    this->positionLead = positionLead;
    listening.start();
}

qint64 SoundtrackClock::elapsed() const
{
    listen();
    const qint64 now = wall.elapsed();
    const qint64 estimate = readings.empty() ? now : now + furthestAhead(now);
    latest = qMax(latest, estimate);
    return latest;
}

void SoundtrackClock::listen() const
{
    const qint64 playing = position ? position() : -1;
    if (playing >= 0)
        hear(playing - positionLead, wall.elapsed());
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
