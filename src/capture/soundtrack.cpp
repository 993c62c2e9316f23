#include "soundtrack.h"

#include "scenedirector.h"

#include <QFile>
#include <QtEndian>

namespace {
const int BytesPerSample = 2;

quint32 word(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 halfWord(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}
} // namespace

// Walks the RIFF chunks: the format must be mono 16-bit PCM; the data chunk
// holds the samples.
bool Soundtrack::load(QString *error)
{
    QFile file(SceneDirector::SoundtrackPath);
    const QByteArray wav = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (!wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE") {
        *error = QString("the soundtrack %1 is not a WAV file").arg(file.fileName());
        return false;
    }
    for (int at = 12; at + 8 <= wav.size();) {
        const QByteArray id = wav.mid(at, 4);
        const int size = int(qMin<quint32>(word(wav, at + 4), quint32(wav.size() - at - 8)));
        const int body = at + 8;
        if (id == "fmt " && size >= 16) {
            const bool monoPcm16 = halfWord(wav, body) == 1 && halfWord(wav, body + 2) == 1 &&
                halfWord(wav, body + 14) == 16;
            if (!monoPcm16) {
                *error = "the soundtrack is not 16-bit mono PCM";
                return false;
            }
            rate = int(word(wav, body + 4));
        } else if (id == "data") {
            samples.resize(size / BytesPerSample);
            for (int i = 0; i < samples.size(); ++i)
                samples[i] = qint16(halfWord(wav, body + i * BytesPerSample));
        }
        at = body + size + size % 2;
    }
    if (rate <= 0 || samples.isEmpty()) {
        *error = "the soundtrack has no samples";
        return false;
    }
    return true;
}

int Soundtrack::sampleRate() const
{
    return rate;
}

QVector<qint16> Soundtrack::stretch(qint64 from, qint64 count) const
{
    const int first = int(qMin<qint64>(from * rate / 1000, samples.size()));
    QVector<qint16> part = samples.mid(first, int(count));
    part.resize(int(count));
    return part;
}
