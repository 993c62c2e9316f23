#ifndef CAPTUREOPTIONS_H
#define CAPTUREOPTIONS_H

#include <QSize>
#include <QString>
#include <QStringList>

// What a capture is asked for on the command line, checked as far as it can
// be without a GL context.
class CaptureOptions
{
public:
    enum class Request { Capture, Help, Version, UsageError };
    enum class Format { Video, Frames };

    // The picture's side may not exceed this, whatever the GL implementation
    // allows: beyond it a size is a typing error.
    static constexpr int MaximumSide = 32768;

    Request parse(const QStringList &arguments);
    QString helpText() const { return help; }
    QString errorText() const { return error; }

    // A video file or, for Format::Frames, a directory.
    QString output;
    Format format = Format::Video;
    QSize size = QSize(1920, 1080);
    // Frames a second as a fraction; the default is the demo's own rate.
    qint64 fpsNumerator = 100;
    qint64 fpsDenominator = 3;
    // The stretch of the timeline to capture, in milliseconds.
    qint64 from = 0;
    qint64 to = 0;
    int samples = 0;
    bool force = false;

private:
    bool parseSize(const QString &text);
    bool parseRate(const QString &text);
    bool parseSeconds(const QString &option, const QString &text, qint64 *msecs);
    bool parseSamples(const QString &text);
    bool parseOutput(const QStringList &positional, const QString &framesDirectory);
    bool checkFile();
    bool checkFramesDirectory();
    bool fail(const QString &message);

    QString help;
    QString error;
};

#endif // CAPTUREOPTIONS_H
