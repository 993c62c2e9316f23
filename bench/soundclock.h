#ifndef SOUNDCLOCK_H
#define SOUNDCLOCK_H

#include <QString>
#include <QVector>

// Where a recording of the sound server's output lies on the wall clock.
// The recorder notes, after every read, the wall-clock time and how many
// frames it has read in all. The sound server hands a monitored block of
// sound to its recorders only when the sink plays the block after it, so a
// read never arrives before the sink played the last frame it holds: the
// read's time less its frame count's duration is never earlier than the
// moment frame 0 was played, and comes closest to it when the read is
// delivered at once. The least such value over a few seconds of reads is
// that moment, late by the shortest delivery; taking it near each moment of
// interest follows the drift between the sink's clock and the wall clock,
// and any frames the server dropped or repeated.
class SoundClock
{
public:
    // The recorder's notes: one line per read, "WALL_US FRAMES_READ".
    SoundClock(const QString &notesPath, int sampleRate);

    bool isEmpty() const { return reads.isEmpty(); }
    // Wall-clock microseconds at which the recording's frame at the given
    // second was played.
    double wallMicroseconds(double recordingSeconds) const;
    // The second of the recording that was played at a wall-clock time.
    double recordingSeconds(double wallMicroseconds) const;
    // How much later than the earliest the reads near that second arrived:
    // the median, in microseconds.
    double typicalDelay(double recordingSeconds) const;

private:
    struct Read
    {
        double seconds; // of the recording, at the end of the read
        double origin; // wall-clock µs less the duration read
    };

    QVector<double> originsAround(double recordingSeconds) const;

    QVector<Read> reads;
};

#endif // SOUNDCLOCK_H
