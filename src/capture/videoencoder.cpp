#include "videoencoder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <cerrno>
#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

// What one extension writes: the container, the codecs and their settings.
struct VideoEncoder::Recipe
{
    const char *extension;
    const char *container;
    const char *containerOptions;
    const char *videoCodec;
    AVPixelFormat pixelFormat;
    const char *videoOptions;
    int videoThreads;
    const char *audioCodec;
    qint64 audioBitRate;
};

namespace {

// The rendered frames' pixels: QImage::Format_RGB32 in memory order.
const AVPixelFormat FramePixels = AV_PIX_FMT_0RGB32;
const AVChannelLayout Mono = AV_CHANNEL_LAYOUT_MONO;

QString describe(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

void releaseImage(void *image, uint8_t *)
{
    delete static_cast<QImage *>(image);
}

// The frame as an AVFrame without a copy: the AVFrame holds a reference to
// the image's pixels for as long as the encoder keeps it.
AVFrame *wrap(const QImage &image)
{
    AVFrame *frame = av_frame_alloc();
    if (!frame)
        return nullptr;
    frame->format = FramePixels;
    frame->width = image.width();
    frame->height = image.height();
    frame->data[0] = const_cast<uint8_t *>(image.constBits());
    frame->linesize[0] = image.bytesPerLine();
    frame->buf[0] = av_buffer_create(frame->data[0], size_t(image.sizeInBytes()), releaseImage,
                                     new QImage(image), AV_BUFFER_FLAG_READONLY);
    return frame;
}

// The encoder's preferred sample format, the first it lists. FFmpeg 7.1 asks
// for the list through a call and FFmpeg 9 has only that.
AVSampleFormat preferredSampleFormat(const AVCodec *codec)
{
#if LIBAVCODEC_VERSION_INT >= AV_VERSION_INT(61, 13, 100)
    const void *formats = nullptr;
    int count = 0;
    if (avcodec_get_supported_config(nullptr, codec, AV_CODEC_CONFIG_SAMPLE_FORMAT, 0, &formats,
                                     &count) < 0 ||
        count == 0)
        return AV_SAMPLE_FMT_NONE;
    return static_cast<const AVSampleFormat *>(formats)[0];
#else
    return codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_NONE;
#endif
}

} // namespace

// H.264 in 4:2:0 with AAC and the index at the front plays in browsers and on
// video sites. The renderer keeps both cores busy, so x264 gets one thread;
// veryfast keeps up with the renderer at 1920 x 1080 and at crf 18 halves
// superfast's bit rate for the same quality. FFV1 on the pixels as rendered
// and FLAC decode back bit for bit, for archives and editors: intra-only,
// with a checksum per slice; the Golomb-Rice coder takes a quarter less time
// than the range coder for files 1.5 to 1.8 times the size. Bit-exact
// Matroska leaves out the random segment identifier, so that the same
// capture gives the same bytes.
const VideoEncoder::Recipe VideoEncoder::recipes[] = {
    { "mp4", "mp4", "movflags=+faststart", "libx264", AV_PIX_FMT_YUV420P,
      "preset=veryfast:crf=18:profile=high", 1, "aac", 128000 },
    { "mkv", "matroska", "fflags=+bitexact", "ffv1", FramePixels,
      "level=3:coder=rice:context=0:slices=16:slicecrc=1:g=1", 2, "flac", 0 },
};

const VideoEncoder::Recipe *VideoEncoder::findRecipe(const QString &fileName)
{
    const QString extension = QFileInfo(fileName).suffix().toLower();
    for (const Recipe &recipe : recipes) {
        if (extension == QLatin1String(recipe.extension))
            return &recipe;
    }
    return nullptr;
}

VideoEncoder::VideoEncoder(const QString &fileName)
    : fileName(fileName)
{
}

VideoEncoder::~VideoEncoder()
{
    cancel();
}

QString VideoEncoder::extensions()
{
    QStringList names;
    for (const Recipe &recipe : recipes)
        names << QLatin1Char('.') + QLatin1String(recipe.extension);
    return names.join(QStringLiteral(", "));
}

QString VideoEncoder::problemWith(const QString &fileName, QSize size)
{
    const Recipe *recipe = findRecipe(fileName);
    if (!recipe)
        return QStringLiteral("the extension names no video format (%1)").arg(extensions());
    if (recipe->pixelFormat == AV_PIX_FMT_YUV420P &&
        (size.width() % 2 != 0 || size.height() % 2 != 0))
        return QStringLiteral("H.264 in 4:2:0 needs an even width and height, not %1x%2")
            .arg(size.width())
            .arg(size.height());
    return QString();
}

bool VideoEncoder::open(const Format &format, const QVector<qint16> &sound, QString *error)
{
    this->format = format;
    this->sound = sound;
    recipe = findRecipe(fileName);
    const QString problem = problemWith(fileName, format.size);
    if (!problem.isEmpty())
        return fail(error, problem);
    if (format.size.isEmpty() || format.rateNumerator <= 0 || format.rateDenominator <= 0)
        return fail(error, QStringLiteral("no picture size or frame rate"));

    av_log_set_level(AV_LOG_ERROR);
    const bool opened = createFile(error) && openVideo(error) &&
        (sound.isEmpty() || openAudio(error)) && startFile(error);
    if (!opened)
        cancel();
    return opened;
}

bool VideoEncoder::write(const QImage &frame, QString *error)
{
    if (!container)
        return fail(error, QStringLiteral("not open"));
    if (frame.size() != format.size || frame.format() != QImage::Format_RGB32) {
        cancel();
        return fail(error,
                    QStringLiteral("frame %1 is not a %2x%3 RGB32 picture")
                        .arg(framesDone)
                        .arg(format.size.width())
                        .arg(format.size.height()));
    }
    QElapsedTimer clock;
    clock.start();
    AVFrame *input = convert(frame);
    converting += clock.nsecsElapsed();
    if (!input) {
        cancel();
        return fail(error, QStringLiteral("out of memory for frame %1").arg(framesDone));
    }

    clock.start();
    input->pts = framesDone++;
    bool written = encode(video, videoStream, input, error);
    av_frame_free(&input);
    written = written && encodeSound(soundEndOfFrame(framesDone), false, error);
    encoding += clock.nsecsElapsed();
    if (!written)
        cancel();
    return written;
}

// Drains the encoders, completes the file and gives it the output's name.
bool VideoEncoder::finish(QString *error)
{
    if (!container)
        return fail(error, QStringLiteral("not open"));
    QElapsedTimer clock;
    clock.start();
    bool written = encodeSound(sound.size(), true, error) &&
        encode(video, videoStream, nullptr, error) &&
        (!audio || encode(audio, audioStream, nullptr, error)) && closeFile(error);
    encoding += clock.nsecsElapsed();
    if (written && std::rename(QFile::encodeName(partName), QFile::encodeName(fileName)) != 0)
        written =
            fail(error, QStringLiteral("cannot rename %1 to it").arg(partName), AVERROR(errno));
    if (written)
        partName.clear();
    cancel();
    return written;
}

void VideoEncoder::cancel()
{
    if (container && container->pb)
        avio_closep(&container->pb);
    release();
    if (!partName.isEmpty())
        QFile::remove(partName);
    partName.clear();
}

// The file is made beside the output, under a name of its own, with the
// permissions a new file gets.
bool VideoEncoder::createFile(QString *error)
{
    const QString directory = QFileInfo(fileName).absolutePath();
    const QString stem = QFileInfo(fileName).fileName();
    for (int attempt = 0; attempt < 8; ++attempt) {
        QFile file(temporaryName(directory, stem));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            partName = file.fileName();
            break;
        }
        if (!file.exists())
            return fail(error,
                        QStringLiteral("cannot write in %1: %2")
                            .arg(QDir::toNativeSeparators(directory), file.errorString()));
    }
    if (partName.isEmpty())
        return fail(error, QStringLiteral("cannot make a temporary file in %1").arg(directory));

    const int code = avformat_alloc_output_context2(&container, nullptr, recipe->container,
                                                    QFile::encodeName(partName).constData());
    if (code < 0)
        return fail(error, QStringLiteral("no %1 muxer").arg(recipe->container), code);
    packet = av_packet_alloc();
    return true;
}

bool VideoEncoder::openVideo(QString *error)
{
    const AVCodec *codec = avcodec_find_encoder_by_name(recipe->videoCodec);
    if (!codec)
        return fail(error, QStringLiteral("this FFmpeg has no %1 encoder").arg(recipe->videoCodec));
    video = avcodec_alloc_context3(codec);
    AVRational rate;
    av_reduce(&rate.num, &rate.den, format.rateNumerator, format.rateDenominator, INT_MAX);
    video->width = format.size.width();
    video->height = format.size.height();
    video->pix_fmt = recipe->pixelFormat;
    video->framerate = rate;
    video->time_base = av_inv_q(rate);
    video->thread_count = recipe->videoThreads;
    video->color_primaries = AVCOL_PRI_BT709;
    if (recipe->pixelFormat == FramePixels) {
        video->colorspace = AVCOL_SPC_RGB;
        video->color_range = AVCOL_RANGE_JPEG;
        video->color_trc = AVCOL_TRC_IEC61966_2_1;
    } else {
        video->colorspace = AVCOL_SPC_BT709;
        video->color_range = AVCOL_RANGE_MPEG;
        video->color_trc = AVCOL_TRC_BT709;
    }
    if (container->oformat->flags & AVFMT_GLOBALHEADER)
        video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    AVDictionary *options = nullptr;
    av_dict_parse_string(&options, recipe->videoOptions, "=", ":", 0);
    int code = avcodec_open2(video, codec, &options);
    av_dict_free(&options);
    if (code < 0)
        return fail(error, QStringLiteral("cannot start the %1 encoder").arg(recipe->videoCodec),
                    code);

    videoStream = avformat_new_stream(container, nullptr);
    avcodec_parameters_from_context(videoStream->codecpar, video);
    videoStream->time_base = video->time_base;
    videoStream->avg_frame_rate = rate;
    videoStream->r_frame_rate = rate;

    if (recipe->pixelFormat == FramePixels)
        return true;
    // Same size, so the scaler only converts: BT.709 coefficients, from full
    // range RGB to the limited range that players expect. Reading the input's
    // chroma at full width takes a faster path here for the same result.
    scaler = sws_getContext(video->width, video->height, FramePixels, video->width, video->height,
                            recipe->pixelFormat, SWS_BILINEAR | SWS_FULL_CHR_H_INP, nullptr,
                            nullptr, nullptr);
    if (!scaler)
        return fail(error,
                    QStringLiteral("cannot convert RGB to %1")
                        .arg(av_get_pix_fmt_name(recipe->pixelFormat)));
    const int *bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(scaler, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    picture = av_frame_alloc();
    picture->format = recipe->pixelFormat;
    picture->width = video->width;
    picture->height = video->height;
    code = av_frame_get_buffer(picture, 0);
    return code >= 0 || fail(error, QStringLiteral("out of memory for a picture"), code);
}

bool VideoEncoder::openAudio(QString *error)
{
    const AVCodec *codec = avcodec_find_encoder_by_name(recipe->audioCodec);
    if (!codec)
        return fail(error, QStringLiteral("this FFmpeg has no %1 encoder").arg(recipe->audioCodec));
    audio = avcodec_alloc_context3(codec);
    audio->sample_fmt = preferredSampleFormat(codec);
    audio->sample_rate = SampleRate;
    av_channel_layout_copy(&audio->ch_layout, &Mono);
    audio->bit_rate = recipe->audioBitRate;
    audio->time_base = { 1, SampleRate };
    if (container->oformat->flags & AVFMT_GLOBALHEADER)
        audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int code = avcodec_open2(audio, codec, nullptr);
    if (code < 0)
        return fail(error, QStringLiteral("cannot start the %1 encoder").arg(recipe->audioCodec),
                    code);

    audioStream = avformat_new_stream(container, nullptr);
    avcodec_parameters_from_context(audioStream->codecpar, audio);
    audioStream->time_base = audio->time_base;

    code = swr_alloc_set_opts2(&resampler, &audio->ch_layout, audio->sample_fmt, SampleRate,
                               &audio->ch_layout, AV_SAMPLE_FMT_S16, SampleRate, 0, nullptr);
    if (code >= 0)
        code = swr_init(resampler);
    if (code < 0)
        return fail(
            error, QStringLiteral("cannot convert the sound for %1").arg(recipe->audioCodec), code);
    samples = av_frame_alloc();
    samples->format = audio->sample_fmt;
    samples->sample_rate = SampleRate;
    samples->nb_samples = audio->frame_size;
    av_channel_layout_copy(&samples->ch_layout, &Mono);
    code = av_frame_get_buffer(samples, 0);
    return code >= 0 || fail(error, QStringLiteral("out of memory for sound"), code);
}

bool VideoEncoder::startFile(QString *error)
{
    int code = avio_open(&container->pb, QFile::encodeName(partName).constData(), AVIO_FLAG_WRITE);
    if (code < 0)
        return fail(error, QStringLiteral("cannot open %1").arg(partName), code);
    AVDictionary *options = nullptr;
    av_dict_parse_string(&options, recipe->containerOptions, "=", ":", 0);
    code = avformat_write_header(container, &options);
    av_dict_free(&options);
    return code >= 0 || fail(error, QStringLiteral("cannot write the header"), code);
}

// A new reference to the frame in the encoder's pixel format.
AVFrame *VideoEncoder::convert(const QImage &frame)
{
    if (!scaler)
        return wrap(frame);
    if (av_frame_make_writable(picture) < 0)
        return nullptr;
    const uint8_t *const planes[] = { frame.constBits() };
    const int strides[] = { int(frame.bytesPerLine()) };
    sws_scale(scaler, planes, strides, 0, frame.height(), picture->data, picture->linesize);
    return av_frame_clone(picture);
}

// Sends one frame (or, with none, the end of the stream) to the encoder and
// writes every packet it has ready.
bool VideoEncoder::encode(AVCodecContext *codec, AVStream *stream, AVFrame *frame, QString *error)
{
    int code = avcodec_send_frame(codec, frame);
    while (code >= 0) {
        code = avcodec_receive_packet(codec, packet);
        if (code < 0)
            break;
        if (codec == video)
            packet->duration = 1;
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        code = av_interleaved_write_frame(container, packet);
        if (code < 0)
            return fail(error, QStringLiteral("cannot write"), code);
    }
    return code == AVERROR(EAGAIN) || code == AVERROR_EOF ||
        fail(error, QStringLiteral("the %1 encoder failed").arg(codec->codec->name), code);
}

// Encodes the sound up to the given sample in whole encoder frames; the last
// call also encodes the shorter remainder.
bool VideoEncoder::encodeSound(qint64 end, bool last, QString *error)
{
    if (!audio)
        return true;
    end = qMin<qint64>(end, sound.size());
    while (soundDone < end) {
        const int count = int(qMin<qint64>(audio->frame_size, end - soundDone));
        if (count < audio->frame_size && !last)
            break;
        if (av_frame_make_writable(samples) < 0)
            return fail(error, QStringLiteral("out of memory for sound"));
        const auto *input = reinterpret_cast<const uint8_t *>(sound.constData() + soundDone);
        swr_convert(resampler, samples->data, count, &input, count);
        samples->nb_samples = count;
        samples->pts = soundDone;
        soundDone += count;
        if (!encode(audio, audioStream, samples, error))
            return false;
    }
    return true;
}

qint64 VideoEncoder::soundEndOfFrame(qint64 frame) const
{
    return av_rescale(frame, qint64(SampleRate) * format.rateDenominator, format.rateNumerator);
}

bool VideoEncoder::closeFile(QString *error)
{
    int code = av_write_trailer(container);
    if (code < 0)
        return fail(error, QStringLiteral("cannot write the index"), code);
    code = avio_closep(&container->pb);
    return code >= 0 || fail(error, QStringLiteral("cannot write"), code);
}

void VideoEncoder::release()
{
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    sws_freeContext(scaler);
    scaler = nullptr;
    swr_free(&resampler);
    av_frame_free(&picture);
    av_frame_free(&samples);
    av_packet_free(&packet);
    avformat_free_context(container);
    container = nullptr;
    videoStream = nullptr;
    audioStream = nullptr;
}

bool VideoEncoder::fail(QString *error, const QString &what, int code)
{
    QString message = QDir::toNativeSeparators(fileName) + QStringLiteral(": ") + what;
    if (code < 0)
        message += QStringLiteral(": ") + describe(code);
    if (error)
        *error = message;
    return false;
}
