// How far the demo's scene cuts land from its music's, from what a run left
// behind (see scripts/bench-cuts):
//
//   record RATE RECORDING.wav NOTES
//     reads 16-bit mono PCM at RATE from standard input (parecord --raw) and,
//     at its end, writes it as RECORDING.wav and, for every read, the
//     wall-clock time in µs after it and the frames read so far to NOTES.
//   analyse SOUNDTRACK.wav RECORDING.wav NOTES FRAMES LAUNCH_US [MARKER_US...]
//     finds when the music reached each cut and when the picture (the frame
//     trace FRAMES) first showed the next scene, and where the beeps played
//     at the MARKER_US times landed; prints key=value lines, times in ms
//     after the launch at LAUNCH_US.

#include "cutanalysis.h"
#include "soundmatch.h"

#include <QFile>
#include <QStringList>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

long long wallClockMicroseconds()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec * 1000000LL + now.tv_nsec / 1000;
}

int record(const QStringList &args)
{
    const int rate = args.value(0).toInt();
    QByteArray pcm;
    QByteArray notes;
    char buffer[65536];
    ssize_t count;
    while ((count = read(STDIN_FILENO, buffer, sizeof buffer)) > 0) {
        const long long at = wallClockMicroseconds();
        pcm.append(buffer, int(count));
        notes += QByteArray::number(at) + ' ' + QByteArray::number(pcm.size() / 2) + '\n';
    }
    QVector<float> samples(pcm.size() / 2);
    const auto *pcmSamples = reinterpret_cast<const qint16 *>(pcm.constData());
    for (int i = 0; i < samples.size(); ++i)
        samples[i] = pcmSamples[i] / 32768.0f;
    QFile notesFile(args.value(2));
    const bool notesWritten =
        notesFile.open(QIODevice::WriteOnly) && notesFile.write(notes) == notes.size();
    return SoundMatch::writeWav(args.value(1), samples, rate) && notesWritten ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString command = args.isEmpty() ? QString() : args.takeFirst();
    if (command == "record" && args.size() == 3)
        return record(args);
    if (command == "analyse" && args.size() >= 5)
        return CutAnalysis(args).run();
    std::fprintf(stderr,
                 "usage: %s record RATE RECORDING.wav NOTES < PCM\n"
                 "       %s analyse SOUNDTRACK.wav RECORDING.wav NOTES FRAMES LAUNCH_US "
                 "[MARKER_US...]\n",
                 argv[0], argv[0]);
    return 2;
}
