#ifndef WALLCLOCK_H
#define WALLCLOCK_H

#include "clock.h"

#include <QElapsedTimer>

// The wall clock, counting from the moment it is made.
class WallClock : public Clock
{
public:
    WallClock();

    qint64 elapsed() const override;

private:
    QElapsedTimer timer;
};

#endif // WALLCLOCK_H
