#ifndef SOUNDMATCH_H
#define SOUNDMATCH_H

#include <QString>
#include <QVector>

// Finds where a recording's stretch of sound lies in a reference soundtrack:
// the lag with the highest normalised cross-correlation, computed through
// FFTs over the whole span of lags that may occur.
class SoundMatch
{
public:
    struct Match
    {
        double referenceSeconds = 0.0; // where the stretch lies in the reference
        double correlation = 0.0; // normalised, 1 for a perfect copy
        double rms = 0.0; // loudness of the recorded stretch, full scale 1
    };

    // 16-bit PCM WAV, channels averaged; empty when unreadable.
    static QVector<float> readWav(const QString &path, int *sampleRate);
    static bool writeWav(const QString &path, const QVector<float> &samples, int sampleRate);

    // Stretches are stretchLength samples long; 2^18 is about 6 s at 44.1 kHz.
    SoundMatch(const QVector<float> &reference, const QVector<float> &recording, int sampleRate,
               int stretchLength = 1 << 18);

    // The stretch of the recording from recordingSeconds on, searched for in
    // the reference between referenceFrom and referenceTo (where the
    // stretch may begin).
    Match find(double recordingSeconds, double referenceFrom, double referenceTo) const;
    // How long the stretch that find() looks for lasts.
    double stretchSeconds() const;

    double recordingSeconds() const { return double(recording.size()) / sampleRate; }

private:
    const QVector<float> &reference;
    const QVector<float> &recording;
    int sampleRate;
    int stretchLength;
};

#endif // SOUNDMATCH_H
