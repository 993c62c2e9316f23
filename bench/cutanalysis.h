#ifndef CUTANALYSIS_H
#define CUTANALYSIS_H

#include "scenetrace.h"
#include "soundclock.h"
#include "soundmatch.h"

#include <QStringList>
#include <QVector>

// One run of the scene-cut benchmark: when the music reached each cut (the
// recording of the sound server, placed on the wall clock by its recorder's
// notes and matched against the soundtrack) and when the picture first
// showed the next scene (the frame trace). Prints key=value lines, times in
// ms after the launch.
class CutAnalysis
{
public:
    // SOUNDTRACK.wav RECORDING.wav NOTES FRAMES LAUNCH_US [MARKER_US...]
    explicit CutAnalysis(const QStringList &args);

    int run();

private:
    double msAfterLaunch(double wallMicroseconds) const;
    void printMarkers() const;
    bool findMusicStart();
    void printCuts() const;
    void printHeard() const;
    void printTrace() const;

    int referenceRate = 0;
    int recordingRate = 0;
    const QVector<float> reference;
    const QVector<float> recording;
    const SoundClock clock;
    const SceneTrace trace;
    const double launch;
    const QStringList markers;
    const SoundMatch match;
    const SoundMatch pieces;
    double musicStart = 0.0;
};

#endif // CUTANALYSIS_H
