#include "wav.h"

#include <QDataStream>
#include <QFile>
#include <QtEndian>

#include <algorithm>

namespace {
const int BytesPerSample = 2;
const quint16 Pcm = 1;

quint32 word(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 halfWord(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}
} // namespace

bool Wav::read(const QString &path)
{
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (!bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return false;

    bool pcm16 = false;
    samples.clear();
    for (int chunk = 12; chunk + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(chunk, 4);
        const int body = chunk + 8;
        const int size = int(std::min<qint64>(word(bytes, chunk + 4), bytes.size() - body));
        if (id == "fmt " && size >= 16) {
            pcm16 = halfWord(bytes, body) == Pcm && halfWord(bytes, body + 14) == 16;
            channels = halfWord(bytes, body + 2);
            sampleRate = int(word(bytes, body + 4));
        } else if (id == "data") {
            samples.resize(size / BytesPerSample);
            for (int i = 0; i < samples.size(); ++i)
                samples[i] = qint16(halfWord(bytes, body + i * BytesPerSample));
        }
        chunk = body + size + size % 2;
    }
    return pcm16 && channels > 0 && sampleRate > 0;
}

bool Wav::write(const QString &path, QString *reason) const
{
    const quint32 dataSize = quint32(samples.size()) * BytesPerSample;
    const quint16 frameSize = quint16(channels * BytesPerSample);
    QFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        QDataStream out(&file);
        out.setByteOrder(QDataStream::LittleEndian);
        out.writeRawData("RIFF", 4);
        out << quint32(36 + dataSize);
        out.writeRawData("WAVEfmt ", 8);
        out << quint32(16) << Pcm << quint16(channels) << quint32(sampleRate)
            << quint32(sampleRate) * frameSize << frameSize << quint16(8 * BytesPerSample);
        out.writeRawData("data", 4);
        out << dataSize;
        for (qint16 sample : samples)
            out << sample;
        file.close();
        written = out.status() == QDataStream::Ok && file.error() == QFileDevice::NoError;
    }
    if (!written && reason)
        *reason = file.errorString();
    return written;
}
