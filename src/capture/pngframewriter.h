#ifndef PNGFRAMEWRITER_H
#define PNGFRAMEWRITER_H

#include "framesink.h"

// Writes each frame as frame-00000.png, frame-00001.png, ... into a folder,
// with the sound beside them as audio.wav, for editors to assemble.
class PngFrameWriter : public FrameSink
{
public:
    explicit PngFrameWriter(const QString &directory);
    ~PngFrameWriter() override;

    // True when the directory holds frames or a sound of an earlier run.
    static bool holdsFrames(const QString &directory);

    bool open(const Format &format, const QVector<qint16> &sound, QString *error) override;
    bool write(const QImage &frame, QString *error) override;
    bool finish(QString *error) override;
    void cancel() override;

private:
    bool createDirectory(QString *error);
    bool writeSound(const QVector<qint16> &sound, QString *error);
    bool renameTo(const QString &target, QString *error);
    bool moveInto(const QString &target, QString *error);
    bool fail(QString *error, const QString &what);

    QString directory;
    QString partDirectory;
    int digits = 0;
    qint64 framesDone = 0;
};

#endif // PNGFRAMEWRITER_H
