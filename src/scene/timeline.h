#ifndef TIMELINE_H
#define TIMELINE_H

#include <QtGlobal>

class Clock;

// The demo's four scenes on a clock: which one is on, and when the cut to
// the next is due. It issues no GL, so any clock drives it: the music's,
// the wall's, or one stepped a frame at a time.
class Timeline
{
public:
    static constexpr int SceneCount = 4;

    explicit Timeline(const Clock *clock);

    // The timeline's length in milliseconds: the last scene ends there.
    static qint64 length();
    // How long before the clock reaches a cut it is made, in ms, for frames
    // that take `frameDuration` ms to draw at a frame every `frameInterval`.
    static qint64 cutLead(qint64 frameDuration, qint64 frameInterval, bool lastScene);

    int scene() const;
    bool inLastScene() const;
    bool finished() const;

    // True when the clock is within `lead` ms of the end of the current scene.
    bool changeDue(qint64 lead = 0) const;
    // Milliseconds until the clock is within `lead` ms of that end.
    qint64 msecsToChange(qint64 lead = 0) const;
    // Moves on to the next scene; false, and finished, after the last.
    bool advance();

private:
    qint64 end() const;

    const Clock *clock;
    int current = 0;
    bool ended = false;
};

#endif // TIMELINE_H
