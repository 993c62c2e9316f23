#ifndef CLOCK_H
#define CLOCK_H

#include <QtGlobal>

// Where the timeline takes its time from: the milliseconds since it started.
// The live window reads the soundtrack or the wall clock; a capture steps it
// frame by frame.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 elapsed() const = 0;
};

#endif // CLOCK_H
