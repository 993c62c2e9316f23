#ifndef WAV_H
#define WAV_H

#include <QString>
#include <QVector>

// 16-bit PCM in a WAV file: the soundtrack compiled into the demo, the sound
// a capture writes beside its frames, and the recordings the tests make.
struct Wav
{
    int sampleRate = 0;
    int channels = 0;
    // Channels interleaved.
    QVector<qint16> samples;

    // Walks the RIFF chunks. A data chunk cut short, as in a recording
    // stopped while it was written, gives the samples the file holds. False
    // when the file is not 16-bit PCM.
    bool read(const QString &path);
    // The canonical 44-byte header, then the samples; false with the
    // system's reason when the file cannot be written.
    bool write(const QString &path, QString *reason = nullptr) const;
};

#endif // WAV_H
