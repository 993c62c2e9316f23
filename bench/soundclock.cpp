#include "soundclock.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {
// Reads within this many seconds either side count for a moment: enough
// for a few that were delivered at once, short enough that the sink's drift
// against the wall clock (it counts its blocks in whole µs: some 200 ppm
// fast in 5 ms blocks) stays well under a millisecond.
const double Window = 0.5;
} // namespace

SoundClock::SoundClock(const QString &notesPath, int sampleRate)
{
    QFile file(notesPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text) || sampleRate <= 0)
        return;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(' ');
        if (fields.size() != 2)
            continue;
        const double seconds = fields[1].toDouble() / sampleRate;
        reads.append({ seconds, fields[0].toDouble() - seconds * 1e6 });
    }
}

QVector<double> SoundClock::originsAround(double recordingSeconds) const
{
    QVector<double> origins;
    for (const Read &read : reads) {
        if (std::abs(read.seconds - recordingSeconds) <= Window)
            origins.append(read.origin);
    }
    std::sort(origins.begin(), origins.end());
    return origins;
}

double SoundClock::wallMicroseconds(double recordingSeconds) const
{
    const QVector<double> origins = originsAround(recordingSeconds);
    return origins.isEmpty() ? 0.0 : origins.first() + recordingSeconds * 1e6;
}

double SoundClock::recordingSeconds(double wallMicroseconds) const
{
    // The first guess may take the origin from far away; the second takes it
    // from around the moment itself.
    double seconds = 0.0;
    for (int i = 0; i < 2; ++i)
        seconds += (wallMicroseconds - this->wallMicroseconds(seconds)) / 1e6;
    return seconds;
}

double SoundClock::typicalDelay(double recordingSeconds) const
{
    const QVector<double> origins = originsAround(recordingSeconds);
    return origins.isEmpty() ? 0.0 : origins[origins.size() / 2] - origins.first();
}
