#include "captureoptions.h"

#include "pngframewriter.h"
#include "scenedirector.h"
#include "videoencoder.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>
#include <numeric>

namespace {
const int MaximumFps = 1000;
const int MaximumSamples = 64;

QString seconds(qint64 msecs)
{
    return QString::number(msecs / 1000.0);
}
} // namespace

CaptureOptions::Request CaptureOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Renders the Plok demo frame by frame into a video file with its soundtrack.\n"
        "OUTPUT ends in .mp4 (H.264 and AAC, for browsers and video sites) or .mkv\n"
        "(lossless FFV1 and FLAC, for archives and editors).");
    const QCommandLineOption sizeOption("size", "Picture size (default 1920x1080).", "WxH");
    const QCommandLineOption fpsOption(
        "fps", "Frames a second: 24, 29.97, 30000/1001 (default 100/3, one a demo frame).", "rate");
    const QCommandLineOption fromOption("from", "Start at this second of the timeline (default 0).",
                                        "seconds");
    const QCommandLineOption toOption("to",
                                      QString("End at this second of the timeline (default %1).")
                                          .arg(seconds(SceneDirector::length())),
                                      "seconds");
    const QCommandLineOption samplesOption(
        "samples",
        QString("Multisampling, 0 for none (default %1).").arg(MultisampleTarget::Samples), "N");
    const QCommandLineOption framesOption(
        "frames", "Write a PNG a frame and the soundtrack as audio.wav into DIR instead.", "DIR");
    const QCommandLineOption forceOption("force", "Replace an existing OUTPUT.");
    const QCommandLineOption helpOption(QStringList { "h", "help" }, "Show this help.");
    const QCommandLineOption versionOption(QStringList { "v", "version" }, "Show the version.");
    parser.addOptions({ sizeOption, fpsOption, fromOption, toOption, samplesOption, framesOption,
                        forceOption, helpOption, versionOption });
    parser.addPositionalArgument("OUTPUT", "The video file to write.", "OUTPUT");
    help = parser.helpText();

    if (!parser.parse(arguments)) {
        fail(parser.errorText());
        return Request::UsageError;
    }
    if (parser.isSet(helpOption))
        return Request::Help;
    if (parser.isSet(versionOption))
        return Request::Version;

    to = SceneDirector::length();
    samples = MultisampleTarget::Samples;
    force = parser.isSet(forceOption);
    const bool valid = (!parser.isSet(sizeOption) || parseSize(parser.value(sizeOption))) &&
        (!parser.isSet(fpsOption) || parseRate(parser.value(fpsOption))) &&
        (!parser.isSet(fromOption) || parseSeconds("--from", parser.value(fromOption), &from)) &&
        (!parser.isSet(toOption) || parseSeconds("--to", parser.value(toOption), &to)) &&
        (from < to ||
         fail(QString("--from %1 is not before --to %2").arg(seconds(from), seconds(to)))) &&
        (!parser.isSet(samplesOption) || parseSamples(parser.value(samplesOption))) &&
        parseOutput(parser.positionalArguments(), parser.value(framesOption));
    return valid ? Request::Capture : Request::UsageError;
}

bool CaptureOptions::parseSize(const QString &text)
{
    const QRegularExpressionMatch match = QRegularExpression("^(\\d{1,9})x(\\d{1,9})$").match(text);
    if (!match.hasMatch())
        return fail(
            QString("--size %1: give the size as WIDTHxHEIGHT, such as 1280x720").arg(text));
    size = QSize(match.captured(1).toInt(), match.captured(2).toInt());
    if (size.width() < 1 || size.height() < 1 || size.width() > MaximumSide ||
        size.height() > MaximumSide)
        return fail(QString("--size %1: width and height must be between 1 and %2")
                        .arg(text)
                        .arg(MaximumSide));
    return true;
}

bool CaptureOptions::parseRate(const QString &text)
{
    const QRegularExpressionMatch match =
        QRegularExpression("^(\\d{1,6})(?:\\.(\\d{1,3})|/(\\d{1,6}))?$").match(text);
    if (!match.hasMatch())
        return fail(QString("--fps %1: give the rate as a number or a fraction, such as 30 or "
                            "30000/1001")
                        .arg(text));
    qint64 numerator = match.captured(1).toLongLong();
    qint64 denominator = 1;
    if (!match.captured(2).isEmpty()) {
        const QString decimals = match.captured(2);
        denominator = qint64(std::pow(10, decimals.size()));
        numerator = numerator * denominator + decimals.toLongLong();
    } else if (!match.captured(3).isEmpty()) {
        denominator = match.captured(3).toLongLong();
    }
    if (numerator == 0 || denominator == 0 || numerator > MaximumFps * denominator)
        return fail(QString("--fps %1: the rate must be above 0 and at most %2 frames a second")
                        .arg(text)
                        .arg(MaximumFps));
    const qint64 divisor = std::gcd(numerator, denominator);
    fpsNumerator = numerator / divisor;
    fpsDenominator = denominator / divisor;
    return true;
}

bool CaptureOptions::parseSeconds(const QString &option, const QString &text, qint64 *msecs)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    const qint64 length = SceneDirector::length();
    if (!ok || !std::isfinite(value) || value < 0 || value * 1000 > length)
        return fail(QString("%1 %2: give a second of the timeline from 0 to %3")
                        .arg(option, text, seconds(length)));
    *msecs = qRound64(value * 1000);
    return true;
}

bool CaptureOptions::parseSamples(const QString &text)
{
    bool ok = false;
    samples = text.toInt(&ok);
    if (!ok || samples < 0 || samples > MaximumSamples)
        return fail(QString("--samples %1: give a number of samples from 0 to %2")
                        .arg(text)
                        .arg(MaximumSamples));
    return true;
}

bool CaptureOptions::parseOutput(const QStringList &positional, const QString &framesDirectory)
{
    if (positional.size() > 1)
        return fail(QString("one OUTPUT only, not %1").arg(positional.join(' ')));
    if (!framesDirectory.isEmpty()) {
        if (!positional.isEmpty())
            return fail("give either OUTPUT or --frames DIR, not both");
        output = framesDirectory;
        format = Format::Frames;
        return checkFramesDirectory();
    }
    if (positional.isEmpty())
        return fail(QString("no OUTPUT given (a %1 file, or --frames DIR)")
                        .arg(VideoEncoder::extensions()));
    output = positional.first();
    format = Format::Video;
    return checkFile();
}

bool CaptureOptions::checkFile()
{
    const QString problem = VideoEncoder::problemWith(output, size);
    if (!problem.isEmpty())
        return fail(QString("%1: %2").arg(output, problem));
    const QFileInfo file(output);
    const QFileInfo directory(file.absolutePath());
    if (!directory.isDir())
        return fail(
            QString("%1: the directory %2 does not exist").arg(output, directory.filePath()));
    if (!directory.isWritable())
        return fail(
            QString("%1: the directory %2 cannot be written").arg(output, directory.filePath()));
    if (file.isDir())
        return fail(QString("%1 is a directory").arg(output));
    if (file.exists() && !force)
        return fail(QString("%1 exists; give --force to replace it").arg(output));
    return true;
}

bool CaptureOptions::checkFramesDirectory()
{
    const QFileInfo directory(output);
    if (!directory.isDir())
        return fail(QString("--frames %1: no such directory").arg(output));
    if (!directory.isWritable())
        return fail(QString("--frames %1: the directory cannot be written").arg(output));
    if (PngFrameWriter::holdsFrames(output) && !force)
        return fail(
            QString("--frames %1 already holds frames; give --force to replace them").arg(output));
    return true;
}

bool CaptureOptions::fail(const QString &message)
{
    error = message;
    return false;
}
