// Checks what an end-to-end run of the demo left behind: its log, its
// screenshots and the recording of its soundtrack. Prints every verdict
// with what was measured; exits with 1 if any check failed. While a run goes
// on, it also waits for the demo's window to show a scene.

#include "checks.h"
#include "demolog.h"
#include "scenechecks.h"
#include "scenetrace.h"
#include "screenshot.h"
#include "soundmatch.h"
#include "windowgrid.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>

namespace {

// Searching a recorded stretch in the soundtrack allows the sound to start
// up to this long before the demo was launched or after its timeline began.
const double earliestSoundStart = -0.5;
const double latestSoundStart = 3.0;
// What the checks accept: the soundtrack starts after the launch and within
// a second of the timeline.
const double soundStartLimit = 1.0;
const double soundStartTolerance = 0.25; // the marker's own delay may be longer
const double minCorrelation = 0.9;
// A stretch is the soundtrack when most of its pieces are.
const int pieceLength = 1 << 16; // about 1.5 s
const int piecesPerStretch = 4;
const int piecesToMatch = 3;
const double maxDrift = 0.1;
const double minLoudness = 0.001;
// How far from where a capture began its sound is looked for, in seconds.
const double placeSearch = 0.1;

// The cuts, in seconds of the soundtrack, and how far from the music a cut
// may be seen: the window is looked at every 20 ms and a scene counts from
// the second look that agrees, the recorder hands its sound on in blocks of
// 50 ms, and a loaded machine draws a frame in up to 100 ms. Half a second
// off is a fault anyone hears.
const double cutTimes[] = { 7.0, 14.5, 22.0 };
const int cutCount = int(std::size(cutTimes));
const double cutEarliest = -0.25;
const double cutLatest = 0.35;
// A sink with a headset's latency delays what is heard by 100 ms or more.
const double minLatency = 0.06;
// The recorder's pace is read off its file near each cut.
const double recorderSpan = 2.0;
const int cutPieceLength = 1 << 16; // about 1.5 s
const double cutSearch = 1.0;
const int wavHeaderBytes = 44;
const int recordingBytesPerSecond = 88200; // 16-bit mono at 44.1 kHz

// What a log is checked for besides its own lines: the soundtrack plays, or
// the demo says once that it cannot.
const QString soundtrackPlays = QStringLiteral("sound");
const QString soundtrackSilent = QStringLiteral("silent");

bool isLogRequest(const QStringList &args)
{
    return args.size() == 2 ||
        (args.size() == 3 && (args[2] == soundtrackPlays || args[2] == soundtrackSilent));
}

int checkLog(const QStringList &args)
{
    Checks checks;
    const DemoLog log(args.value(0));
    log.checkStart(checks);
    log.checkFpsLines(checks, args.value(1).toDouble());
    log.reportScenes(checks);
    if (args.size() == 3)
        log.checkSoundLines(checks, args.at(2) == soundtrackPlays);
    return checks.exitCode();
}

int checkScene(const QStringList &args)
{
    Checks checks;
    QVector<Screenshot> shots;
    for (const QString &path : args.mid(1)) {
        shots.append(Screenshot(path));
        SceneChecks::checkScreen(checks, shots.last());
    }
    const int scene = args.value(0).toInt();
    const int needed = scene == 2 ? 1 : 2;
    if (!checks.expect(shots.size() == needed && checks.exitCode() == 0,
                       QString("scene %1 screenshots to look at").arg(scene),
                       QString::number(shots.size())))
        return checks.exitCode();
    switch (scene) {
    case 0:
        SceneChecks::plasmaAndCaption(checks, shots[0], shots[1]);
        break;
    case 1:
        SceneChecks::flatCube(checks, shots[0], shots[1]);
        break;
    case 2:
        SceneChecks::litCubes(checks, shots[0]);
        break;
    default:
        SceneChecks::texturedCubesAndCredits(checks, shots[0], shots[1]);
    }
    return checks.exitCode();
}

// The beep that marks a moment of the run in the recording: 0.1 s of 1 kHz.
const int markerRate = 44100;
const double markerSeconds = 0.1;
const double markerFrequency = 1000.0;
const float markerLevel = 0.5f;

int writeMarker(const QStringList &args)
{
    QVector<float> samples(int(markerSeconds * markerRate));
    for (int i = 0; i < samples.size(); ++i)
        samples[i] = markerLevel * float(std::sin(2 * M_PI * markerFrequency * i / markerRate));
    return SoundMatch::writeWav(args.value(0), samples, markerRate) ? 0 : 1;
}

// Where the recording first gets loud, in seconds; -1 if nowhere.
double firstLoud(const QVector<float> &recording, int sampleRate)
{
    for (int i = 0; i < recording.size(); ++i) {
        if (std::abs(recording[i]) >= markerLevel / 2)
            return double(i) / sampleRate;
    }
    return -1.0;
}

// The recording holds the marker, played with paplay the given seconds
// before the demo was launched, then the demo's run, whose timeline began
// (the line "Loading cubes") and which ended the given seconds after the
// launch.
// The marker stands for the sound server's own delay: the soundtrack's
// start is measured against a trivial player started at the same moment.
int checkSound(const QStringList &args)
{
    Checks checks;
    int referenceRate = 0;
    int recordingRate = 0;
    const QVector<float> reference = SoundMatch::readWav(args.value(0), &referenceRate);
    const QVector<float> recording = SoundMatch::readWav(args.value(1), &recordingRate);
    const double marker = firstLoud(recording, std::max(recordingRate, 1));
    const double launch = marker + args.value(2).toDouble();
    const double timeline = args.value(3).toDouble();
    const double end = launch + args.value(4).toDouble();
    checks.expect(!reference.isEmpty(), "the soundtrack can be read",
                  QString("%1 samples at %2 Hz").arg(reference.size()).arg(referenceRate));
    checks.expect(marker >= 0.0, "the beep before the launch is in the recording",
                  QString("at %1 s").arg(marker, 0, 'f', 3));
    // The last moments may not have reached the file when recording stopped.
    checks.expect(recordingRate == referenceRate && recording.size() >= (end - 1.0) * recordingRate,
                  "the recording covers the run at the soundtrack's rate",
                  QString("%1 s at %2 Hz, demo from %3 s to %4 s")
                      .arg(double(recording.size()) / std::max(recordingRate, 1), 0, 'f', 2)
                      .arg(recordingRate)
                      .arg(launch, 0, 'f', 2)
                      .arg(end, 0, 'f', 2));
    if (checks.exitCode() != 0)
        return checks.exitCode();

    // Each stretch is matched piece by piece. A loaded machine may starve
    // the player for a few milliseconds: that spoils the piece it falls in
    // and delays all that follows by as much, which the drift measures.
    const SoundMatch match(reference, recording, referenceRate, pieceLength);
    QVector<double> starts; // where each matching piece places the soundtrack's start
    const double sinceLaunch[2] = { timeline + 2.0, end - launch - 8.0 };
    const char *names[2] = { "early", "late" };
    for (int i = 0; i < 2; ++i) {
        QStringList correlations;
        int matching = 0;
        double quietest = 1.0;
        for (int piece = 0; piece < piecesPerStretch; ++piece) {
            const double at = sinceLaunch[i] + piece * match.stretchSeconds();
            const SoundMatch::Match found =
                match.find(launch + at, at - timeline - latestSoundStart, at - earliestSoundStart);
            quietest = std::min(quietest, found.rms);
            correlations << QString::number(found.correlation, 'f', 4);
            if (found.correlation >= minCorrelation) {
                starts.append(at - found.referenceSeconds);
                ++matching;
            }
        }
        const QString where = QString("%1 s after launch").arg(sinceLaunch[i], 0, 'f', 1);
        checks.expect(quietest >= minLoudness, QString("sound is heard %1").arg(where),
                      QString("RMS at least %1 of full scale").arg(quietest, 0, 'f', 4));
        checks.expect(matching >= piecesToMatch,
                      QString("the %1 stretch is the soundtrack").arg(names[i]),
                      QString("normalised cross-correlation of its pieces of %1 s: %2")
                          .arg(match.stretchSeconds(), 0, 'f', 2)
                          .arg(correlations.join(", ")));
    }
    if (starts.isEmpty())
        return checks.exitCode();
    const auto [earliest, latest] = std::minmax_element(starts.cbegin(), starts.cend());
    const QString placed =
        QString("the pieces place the soundtrack's start from %1 s to %2 s after launch")
            .arg(*earliest, 0, 'f', 3)
            .arg(*latest, 0, 'f', 3);
    if (checks.exitCode() != 0) {
        checks.note("where the matching pieces are", placed);
        return checks.exitCode();
    }
    checks.expect(starts.first() >= -soundStartTolerance &&
                      starts.first() <= timeline + soundStartLimit,
                  "the soundtrack starts after the launch, within a second of the timeline",
                  QString("at %1 s, the timeline at %2 s")
                      .arg(starts.first(), 0, 'f', 3)
                      .arg(timeline, 0, 'f', 3));
    checks.expect(*latest - *earliest <= maxDrift, "it plays on without gaps to the end", placed);
    return checks.exitCode();
}

struct RecorderNote
{
    double wallSeconds; // when the recording's file was looked at
    double recordedSeconds; // how much sound it held then
};

// "WALL_US BYTES" lines: the recording's size noted as it grew.
QVector<RecorderNote> readRecorderNotes(const QString &path)
{
    QVector<RecorderNote> notes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return notes;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().simplified().split(' ');
        const qint64 bytes = fields.value(1).toLongLong();
        if (fields.size() == 2 && bytes > wavHeaderBytes)
            notes.append({ fields[0].toLongLong() / 1e6,
                           double(bytes - wavHeaderBytes) / recordingBytesPerSecond });
    }
    return notes;
}

const double noLag = std::numeric_limits<double>::max();

// How long after the sound was heard the recorder's file held it, near a
// moment on the wall clock or in the recording (the notes' side it is
// compared with): the recorder writes what it is handed, never before it is
// heard, so the earliest note near the moment places the recording on the
// wall clock. noLag when no note is near.
double lagNear(const QVector<RecorderNote> &notes, double RecorderNote::*side, double moment)
{
    double lag = noLag;
    for (const RecorderNote &note : notes) {
        if (std::abs(note.*side - moment) <= recorderSpan)
            lag = std::min(lag, note.wallSeconds - note.recordedSeconds);
    }
    return lag;
}

// Where in the recording the sound heard at a wall-clock moment lies.
double recordedAt(const QVector<RecorderNote> &notes, double wallSeconds)
{
    const double lag = lagNear(notes, &RecorderNote::wallSeconds, wallSeconds);
    return lag == noLag ? -1.0 : wallSeconds - lag;
}

// When the sound at a place in the recording was heard, on the wall clock.
double heardAt(const QVector<RecorderNote> &notes, double recordedSeconds)
{
    const double lag = lagNear(notes, &RecorderNote::recordedSeconds, recordedSeconds);
    return lag == noLag ? -1.0 : recordedSeconds + lag;
}

// How long the beep played at a wall-clock moment took to be heard, in
// seconds; -1 if it was not.
double heardDelay(const QVector<float> &recording, int sampleRate,
                  const QVector<RecorderNote> &notes, double playedAt)
{
    const double beep = firstLoud(recording, sampleRate);
    const double heard = beep < 0.0 ? -1.0 : heardAt(notes, beep);
    return heard < 0.0 ? -1.0 : heard - playedAt;
}

// Each cut the window showed, at a wall-clock time, against the music heard
// then: where the soundtrack stood in the recording made meanwhile, whose
// growth the test noted with the wall-clock time. Through a sink with
// latency, the beep played before the launch measures that latency: a cut
// seen half of it before the music heard, or cuts a quarter of it before
// it at their median, are timed by what the player was sent, not by what
// is heard. The window is looked at every 20 ms and a scene counts from
// the second look that agrees: a cut is seen late, never early.
int checkCuts(const QStringList &args, bool throughLatency)
{
    Checks checks;
    int referenceRate = 0;
    int recordingRate = 0;
    const QVector<float> reference = SoundMatch::readWav(args.value(0), &referenceRate);
    const QVector<float> recording = SoundMatch::readWav(args.value(1), &recordingRate);
    const QVector<RecorderNote> notes = readRecorderNotes(args.value(2));
    if (!checks.expect(!reference.isEmpty() && recordingRate == referenceRate && !notes.isEmpty(),
                       "the soundtrack, the recording and its notes can be read",
                       QString("%1 notes").arg(notes.size())))
        return checks.exitCode();
    double earliest = cutEarliest;
    if (throughLatency) {
        const double latency =
            heardDelay(recording, recordingRate, notes, args.value(3).toLongLong() / 1e6);
        if (!checks.expect(latency >= minLatency, "the sink delays what is heard",
                           QString("the beep was heard %1 ms after it was played")
                               .arg(latency * 1000.0, 0, 'f', 0)))
            return checks.exitCode();
        earliest = -latency / 2;
    }
    const SoundMatch match(reference, recording, referenceRate, cutPieceLength);
    const QStringList seen = args.mid(throughLatency ? 4 : 3);
    checks.expect(seen.size() == cutCount, "the window showed every cut",
                  QString("%1 of %2").arg(seen.size()).arg(cutCount));
    QVector<double> offsets;
    for (int cut = 0; cut < seen.size() && cut < cutCount; ++cut) {
        const double wall = seen[cut].toLongLong() / 1e6;
        const double recorded = recordedAt(notes, wall);
        const double before = match.stretchSeconds();
        const SoundMatch::Match found =
            match.find(recorded - before, cutTimes[cut] - before - cutSearch,
                       cutTimes[cut] - before + cutSearch);
        const double offset = found.referenceSeconds + before - cutTimes[cut];
        checks.expect(recorded >= before && found.correlation >= minCorrelation &&
                          offset >= earliest && offset <= cutLatest,
                      QString("the cut at %1 s is seen with the music").arg(cutTimes[cut]),
                      QString("the music at %1 s when the window showed it (correlation %2)")
                          .arg(cutTimes[cut] + offset, 0, 'f', 3)
                          .arg(found.correlation, 0, 'f', 4));
        offsets.append(offset);
    }
    if (throughLatency && !offsets.isEmpty()) {
        std::sort(offsets.begin(), offsets.end());
        const double median = offsets[offsets.size() / 2];
        checks.expect(median >= earliest / 2,
                      "the cuts keep to the music heard, not to what the player is sent",
                      QString("median %1 ms against the music heard, at least %2 ms")
                          .arg(median * 1000.0, 0, 'f', 0)
                          .arg(earliest * 500.0, 0, 'f', 0));
    }
    return checks.exitCode();
}

// The sound decoded from a capture is the soundtrack from the second where
// the capture began, to the sample: a lossy codec's delay must have been
// taken out by the container.
int checkPlace(const QStringList &args)
{
    Checks checks;
    int referenceRate = 0;
    int decodedRate = 0;
    const QVector<float> reference = SoundMatch::readWav(args.value(0), &referenceRate);
    const QVector<float> decoded = SoundMatch::readWav(args.value(1), &decodedRate);
    const double begin = args.value(2).toDouble();
    const SoundMatch match(reference, decoded, referenceRate);
    if (!checks.expect(
            decodedRate == referenceRate && match.recordingSeconds() >= match.stretchSeconds(),
            "the decoded sound is long enough to place",
            QString("%1 s at %2 Hz").arg(match.recordingSeconds(), 0, 'f', 2).arg(decodedRate)))
        return checks.exitCode();
    const SoundMatch::Match found = match.find(0.0, begin - placeSearch, begin + placeSearch);
    const double lag = (found.referenceSeconds - begin) * referenceRate;
    checks.expect(found.correlation >= minCorrelation, "the decoded sound is the soundtrack",
                  QString("normalised cross-correlation %1").arg(found.correlation, 0, 'f', 4));
    checks.expect(std::abs(lag) < 0.5, QString("it begins at %1 s of the soundtrack").arg(begin),
                  QString("%1 samples from there").arg(lag, 0, 'f', 0));
    return checks.exitCode();
}

// How often the window is looked at while waiting for a scene: more often
// than the demo's 30 ms frames.
const int lookInterval = 20;

qint64 wallClockMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

// Waits until the demo's window shows the given scene or a later one, as a
// grid of its pixels tells, and prints when it was first seen, in wall-clock
// microseconds since the epoch. Two looks in a row must agree, so that a
// frame caught in the middle of being drawn does not count. For a cut, the
// scene before it must have been seen first: until the window has its size
// and its first whole frame, it shows black with scraps of other scenes.
int awaitScene(int argc, char **argv, const QStringList &args, bool cut)
{
    bool isWindowId = false;
    const WId window = args.value(0).toULongLong(&isWindowId, 0);
    if (!isWindowId || window == 0) {
        std::fprintf(stderr, "no window to look at: \"%s\"\n", qPrintable(args.value(0)));
        return 2;
    }
    QGuiApplication app(argc, argv);
    const WindowGrid grid(window);
    const int scene = args.value(1).toInt();
    const QDeadlineTimer deadline(args.value(2).toInt() * 1000);
    bool beforeSeen = !cut;
    qint64 seenAt = 0;
    for (; !deadline.hasExpired(); QThread::msleep(lookInterval)) {
        const qint64 lookedAt = wallClockMicroseconds();
        const QVector<QRgb> points = grid.read();
        if (points.isEmpty()) {
            std::fprintf(stderr, "the window %s is gone\n", qPrintable(args.value(0)));
            return 1;
        }
        const int shown = SceneTrace::sceneOf(points);
        const bool awaited = beforeSeen ? shown >= scene : shown == scene - 1;
        if (!awaited) {
            seenAt = 0;
        } else if (seenAt == 0) {
            seenAt = lookedAt;
        } else if (!beforeSeen) {
            beforeSeen = true;
            seenAt = 0;
        } else {
            std::printf("%lld\n", seenAt);
            return 0;
        }
    }
    std::fprintf(stderr, "the window showed no scene from %d on within %s s\n", scene,
                 qPrintable(args.value(2)));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString command = args.isEmpty() ? QString() : args.takeFirst();
    if (command == "log" && isLogRequest(args))
        return checkLog(args);
    if (command == "scene" && args.size() >= 2)
        return checkScene(args);
    if (command == "sound" && args.size() == 5)
        return checkSound(args);
    if (command == "cuts" && args.size() >= 4)
        return checkCuts(args, false);
    if (command == "cuts-heard" && args.size() >= 5)
        return checkCuts(args, true);
    if (command == "marker" && args.size() == 1)
        return writeMarker(args);
    if (command == "place" && args.size() == 3)
        return checkPlace(args);
    if ((command == "await" || command == "await-cut") && args.size() == 3)
        return awaitScene(argc, argv, args, command == "await-cut");
    std::fprintf(
        stderr,
        "usage: %s log LOG.times END_S [sound|silent]\n"
        "       %s scene 0|1|3 EARLIER.png LATER.png | scene 2 SHOT.png\n"
        "       %s sound SOUNDTRACK.wav RECORDING.wav MARKER_TO_LAUNCH_S TIMELINE_S RUN_S\n"
        "       %s cuts SOUNDTRACK.wav RECORDING.wav RECORDING.times CUT_US...\n"
        "       %s cuts-heard SOUNDTRACK.wav RECORDING.wav RECORDING.times BEEP_US CUT_US...\n"
        "       %s marker BEEP.wav\n"
        "       %s place SOUNDTRACK.wav DECODED.wav BEGIN_S\n"
        "       %s await|await-cut WINDOW_ID SCENE TIMEOUT_S\n",
        argv[0], argv[0], argv[0], argv[0], argv[0], argv[0], argv[0], argv[0]);
    return 2;
}
