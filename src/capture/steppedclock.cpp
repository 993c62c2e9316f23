#include "steppedclock.h"

qint64 SteppedClock::elapsed() const
{
    return msecs;
}

void SteppedClock::setElapsed(qint64 elapsed)
{
    msecs = elapsed;
}
