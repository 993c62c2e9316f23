#ifndef STEPPEDCLOCK_H
#define STEPPEDCLOCK_H

#include "clock.h"

// A clock that stands still until it is moved: a capture sets it to the time
// of each demo frame and each video frame in turn.
class SteppedClock : public Clock
{
public:
    qint64 elapsed() const override;
    void setElapsed(qint64 msecs);

private:
    qint64 msecs = 0;
};

#endif // STEPPEDCLOCK_H
