#include "pngframewriter.h"

#include "wav.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace {

const int MinimumDigits = 5;
const char *const SoundName = "audio.wav";
const char *const FrameFilter = "frame-*.png";

int digitsOf(qint64 number)
{
    return QString::number(number).size();
}

// A write may store less than it was given without an error; the next
// one reports why.
bool writeAll(QFile *file, const QByteArray &bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 count = file->write(bytes.constData() + done, bytes.size() - done);
        if (count <= 0)
            return false;
        done += count;
    }
    return file->flush();
}

// Compressed in memory first, so that a failing write reports the system's
// reason rather than the PNG library's. zlib's default level: its fastest
// saves a third of the time for files twice the size.
bool writePng(const QImage &frame, const QString &path, QString *reason)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(frame)) {
        *reason = writer.errorString();
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeAll(&file, png)) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

PngFrameWriter::PngFrameWriter(const QString &directory)
    : directory(directory)
{
}

bool PngFrameWriter::holdsFrames(const QString &directory)
{
    const QDir dir(directory);
    return !dir.entryList({ FrameFilter }, QDir::Files).isEmpty() || dir.exists(SoundName);
}

PngFrameWriter::~PngFrameWriter()
{
    cancel();
}

bool PngFrameWriter::open(const Format &format, const QVector<qint16> &sound, QString *error)
{
    digits = qMax(MinimumDigits, digitsOf(qMax(format.frameCount - 1, 0)));
    framesDone = 0;
    const bool opened = createDirectory(error) && writeSound(sound, error);
    if (!opened)
        cancel();
    return opened;
}

bool PngFrameWriter::write(const QImage &frame, QString *error)
{
    if (partDirectory.isEmpty())
        return fail(error, QStringLiteral("not open"));
    const QString name =
        QStringLiteral("frame-%1.png").arg(framesDone, digits, 10, QLatin1Char('0'));
    QElapsedTimer clock;
    clock.start();
    QString reason;
    const bool written = writePng(frame, QDir(partDirectory).filePath(name), &reason);
    encoding += clock.nsecsElapsed();
    if (!written) {
        cancel();
        return fail(error, QStringLiteral("cannot write %1: %2").arg(name, reason));
    }
    ++framesDone;
    return true;
}

// Gives the folder the output's name: a new folder is renamed as a whole;
// into an existing one the files move one by one, replacing those of an
// earlier capture.
bool PngFrameWriter::finish(QString *error)
{
    if (partDirectory.isEmpty())
        return fail(error, QStringLiteral("not open"));
    const bool moved =
        QFileInfo::exists(directory) ? moveInto(directory, error) : renameTo(directory, error);
    if (moved)
        partDirectory.clear();
    cancel();
    return moved;
}

void PngFrameWriter::cancel()
{
    if (!partDirectory.isEmpty())
        QDir(partDirectory).removeRecursively();
    partDirectory.clear();
}

// Inside an existing folder, so that its files later move within one file
// system even when the folder is a mount point; beside a new one.
bool PngFrameWriter::createDirectory(QString *error)
{
    const QFileInfo output(directory);
    const QDir parent = output.isDir() ? QDir(directory) : output.absoluteDir();
    for (int attempt = 0; attempt < 8 && partDirectory.isEmpty(); ++attempt) {
        const QString name = temporaryName(parent.path(), output.fileName());
        if (::mkdir(QFile::encodeName(name).constData(), 0777) == 0)
            partDirectory = name;
        else if (errno != EEXIST)
            return fail(error,
                        QStringLiteral("cannot make a folder in %1: %2")
                            .arg(QDir::toNativeSeparators(parent.path()), systemError()));
    }
    return !partDirectory.isEmpty() ||
        fail(error, QStringLiteral("cannot make a folder in %1").arg(parent.path()));
}

bool PngFrameWriter::writeSound(const QVector<qint16> &sound, QString *error)
{
    QString reason;
    const Wav wav = { SampleRate, 1, sound };
    return wav.write(QDir(partDirectory).filePath(QLatin1String(SoundName)), &reason) ||
        fail(error, QStringLiteral("cannot write %1: %2").arg(SoundName, reason));
}

bool PngFrameWriter::renameTo(const QString &target, QString *error)
{
    return std::rename(QFile::encodeName(partDirectory), QFile::encodeName(target)) == 0 ||
        fail(error, QStringLiteral("cannot rename %1 to it: %2").arg(partDirectory, systemError()));
}

bool PngFrameWriter::moveInto(const QString &target, QString *error)
{
    QDir into(target);
    for (const QString &old :
         into.entryList({ QLatin1String(FrameFilter), SoundName }, QDir::Files))
        into.remove(old);
    const QDir from(partDirectory);
    for (const QString &name : from.entryList(QDir::Files)) {
        if (std::rename(QFile::encodeName(from.filePath(name)),
                        QFile::encodeName(into.filePath(name))) != 0)
            return fail(error,
                        QStringLiteral("cannot move %1 into it: %2").arg(name, systemError()));
    }
    QDir().rmdir(partDirectory);
    return true;
}

bool PngFrameWriter::fail(QString *error, const QString &what)
{
    if (error)
        *error = QDir::toNativeSeparators(directory) + QStringLiteral(": ") + what;
    return false;
}
