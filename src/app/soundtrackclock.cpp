#include "soundtrackclock.h"

#include <phonon/MediaObject>

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
    if (player && player->state() == Phonon::PlayingState) {
        const qint64 position = player->currentTime() - positionLead;
        if (position > heard) {
            heard = position;
            heardAt = now;
        }
    }
    const qint64 estimate = heard < 0 ? now : heard + (now - heardAt);
    latest = qMax(latest, estimate);
    return latest;
}
