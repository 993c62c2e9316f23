#ifndef FRAMESINK_H
#define FRAMESINK_H

#include <QSize>
#include <QString>
#include <QVector>

class QImage;

// Where a capture's finished pictures and its soundtrack go: a video file or
// a folder of pictures. The output appears under its name only when finish()
// succeeds; until then it is written beside it under a temporary name, which
// cancel() (and destruction before finish) removes.
class FrameSink
{
public:
    // The soundtrack stretch: mono 16-bit samples at this rate.
    static const int SampleRate = 44100;

    struct Format
    {
        QSize size;
        // Frames a second as a fraction, 100/3 for one frame every 30 ms.
        int rateNumerator = 0;
        int rateDenominator = 1;
        int frameCount = 0;
    };

    virtual ~FrameSink() = default;

    // Prepares the output for frames of the given format and the sound that
    // goes with them, sample 0 at frame 0's time, cut at the end of the last
    // frame.
    virtual bool open(const Format &format, const QVector<qint16> &sound, QString *error) = 0;
    // Frames in Format_RGB32 of the format's size, frame 0 first.
    virtual bool write(const QImage &frame, QString *error) = 0;
    virtual bool finish(QString *error) = 0;
    virtual void cancel() = 0;

    // Nanoseconds spent so far turning pixels into the output's pixel format,
    // and compressing and writing them with the sound.
    qint64 convertingTime() const { return converting; }
    qint64 encodingTime() const { return encoding; }

protected:
    // A hidden name for the output in the making, in the given folder, with
    // a random tag that makes it new at almost every call.
    static QString temporaryName(const QString &folder, const QString &outputName);

    qint64 converting = 0;
    qint64 encoding = 0;
};

#endif // FRAMESINK_H
