#include "timeline.h"

#include "clock.h"

namespace {
// Where each scene ends, in ms from the start. Every cut is placed from the
// start, so a late cut does not delay the next one.
const qint64 SceneEnds[Timeline::SceneCount] = { 7000, 14500, 22000, 45000 };
} // namespace

Timeline::Timeline(const Clock *clock)
    : clock(clock)
{
}

qint64 Timeline::length()
{
    return SceneEnds[SceneCount - 1];
}

// A cut is seen once the frame that shows it has been drawn; the end at
// once, as the window closes. The clock is looked at between frames: a look
// that falls while a frame is being drawn waits for the frame's end, half a
// frame on average, and it falls so as often as a frame is being drawn,
// which is always when frames take longer than the frame interval.
qint64 Timeline::cutLead(qint64 frameDuration, qint64 frameInterval, bool lastScene)
{
    const qint64 seenAfter = lastScene ? 0 : frameDuration;
    const qint64 framePeriod = qMax(frameDuration, frameInterval);
    const qint64 lookWaits = frameDuration * frameDuration / (2 * framePeriod);
    return seenAfter + lookWaits;
}

int Timeline::scene() const
{
    return current;
}

bool Timeline::inLastScene() const
{
    return current == SceneCount - 1;
}

bool Timeline::finished() const
{
    return ended;
}

bool Timeline::changeDue(qint64 lead) const
{
    return !ended && clock->elapsed() + lead >= end();
}

qint64 Timeline::msecsToChange(qint64 lead) const
{
    return qMax<qint64>(end() - lead - clock->elapsed(), 0);
}

bool Timeline::advance()
{
    if (inLastScene()) {
        ended = true;
        return false;
    }
    ++current;
    return true;
}

qint64 Timeline::end() const
{
    return SceneEnds[current];
}
