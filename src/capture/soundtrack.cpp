#include "soundtrack.h"

#include "scenedirector.h"

bool Soundtrack::load(QString *error)
{
    if (!wav.read(SceneDirector::SoundtrackPath) || wav.channels != 1 || wav.samples.isEmpty()) {
        *error =
            QString("the soundtrack %1 is not 16-bit mono PCM").arg(SceneDirector::SoundtrackPath);
        return false;
    }
    return true;
}

int Soundtrack::sampleRate() const
{
    return wav.sampleRate;
}

QVector<qint16> Soundtrack::stretch(qint64 from, qint64 count) const
{
    const int first = int(qMin<qint64>(from * wav.sampleRate / 1000, wav.samples.size()));
    QVector<qint16> part = wav.samples.mid(first, int(count));
    part.resize(int(count));
    return part;
}
