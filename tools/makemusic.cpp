// Renders the demo's soundtrack into a 16-bit mono 44.1 kHz WAV file with
// the canonical 44-byte header.
//
// Usage: makemusic <file.wav>

#include "song.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

#include <cstdio>

namespace {

constexpr int channels = 1;
constexpr int bitsPerSample = 16;
constexpr int bytesPerSample = bitsPerSample / 8;

void append32(QByteArray &bytes, quint32 value)
{
    const quint32 little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char *>(&little), 4);
}

void append16(QByteArray &bytes, quint16 value)
{
    const quint16 little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char *>(&little), 2);
}

QByteArray wav(const std::vector<int16_t> &samples)
{
    const quint32 dataSize = quint32(samples.size() * bytesPerSample);
    QByteArray bytes;
    bytes.reserve(int(44 + dataSize));
    bytes.append("RIFF");
    append32(bytes, 36 + dataSize);
    bytes.append("WAVEfmt ");
    append32(bytes, 16);
    append16(bytes, 1); // PCM
    append16(bytes, channels);
    append32(bytes, Synth::sampleRate);
    append32(bytes, Synth::sampleRate * channels * bytesPerSample);
    append16(bytes, channels * bytesPerSample);
    append16(bytes, bitsPerSample);
    bytes.append("data");
    append32(bytes, dataSize);
    for (int16_t sample : samples)
        append16(bytes, quint16(sample));
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makemusic <file.wav>\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    const QByteArray bytes = wav(Song().render());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "makemusic: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
