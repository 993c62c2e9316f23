#include "wallclock.h"

WallClock::WallClock()
{
    timer.start();
}

qint64 WallClock::elapsed() const
{
    return timer.elapsed();
}
