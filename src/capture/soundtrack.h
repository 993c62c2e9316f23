#ifndef SOUNDTRACK_H
#define SOUNDTRACK_H

#include "wav.h"

// The embedded soundtrack's samples: 16-bit mono PCM, cut to the stretch of
// the timeline that a capture covers.
class Soundtrack
{
public:
    bool load(QString *error);
    int sampleRate() const;
    // COUNT samples from the timeline's millisecond FROM on; silence where
    // the soundtrack has ended.
    QVector<qint16> stretch(qint64 from, qint64 count) const;

private:
    Wav wav;
};

#endif // SOUNDTRACK_H
