#ifndef VIDEOENCODER_H
#define VIDEOENCODER_H

#include "framesink.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwrContext;
struct SwsContext;

// Writes the frames and the sound into one video file through FFmpeg's
// libraries; the file name's extension picks the format: .mp4 (H.264 and
// AAC, for browsers and video sites) or .mkv (FFV1 and FLAC, lossless).
class VideoEncoder : public FrameSink
{
public:
    explicit VideoEncoder(const QString &fileName);
    ~VideoEncoder() override;

    // The extensions it writes, for messages: ".mp4, .mkv".
    static QString extensions();
    // Why frames of this size cannot be written under this name; empty when
    // they can.
    static QString problemWith(const QString &fileName, QSize size);

    bool open(const Format &format, const QVector<qint16> &sound, QString *error) override;
    bool write(const QImage &frame, QString *error) override;
    bool finish(QString *error) override;
    void cancel() override;

private:
    struct Recipe;
    static const Recipe recipes[];
    static const Recipe *findRecipe(const QString &fileName);

    bool createFile(QString *error);
    bool openVideo(QString *error);
    bool openAudio(QString *error);
    bool startFile(QString *error);
    AVFrame *convert(const QImage &frame);
    bool encode(AVCodecContext *codec, AVStream *stream, AVFrame *frame, QString *error);
    bool encodeSound(qint64 end, bool last, QString *error);
    qint64 soundEndOfFrame(qint64 frame) const;
    bool closeFile(QString *error);
    void release();
    bool fail(QString *error, const QString &what, int code = 0);

    QString fileName;
    QString partName;
    const Recipe *recipe = nullptr;
    Format format;
    QVector<qint16> sound;
    qint64 framesDone = 0;
    qint64 soundDone = 0;

    AVFormatContext *container = nullptr;
    AVCodecContext *video = nullptr;
    AVCodecContext *audio = nullptr;
    AVStream *videoStream = nullptr;
    AVStream *audioStream = nullptr;
    SwsContext *scaler = nullptr;
    SwrContext *resampler = nullptr;
    AVFrame *picture = nullptr;
    AVFrame *samples = nullptr;
    AVPacket *packet = nullptr;
};

#endif // VIDEOENCODER_H
