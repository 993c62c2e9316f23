#include "demolog.h"

#include "checks.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <utility>

namespace {

const QString startLine = QStringLiteral("Loading cubes ");
const QRegularExpression fpsPattern(QStringLiteral("^\"FPS: (\\d+)\" $"));
const QString cannotPlayStart = QStringLiteral("Plok cannot play its soundtrack: ");
// A busy machine may hold up the rehearsal of the later scenes past the
// first cut, which then waits for it a moment and says so.
const QString cutWaitsLine =
    QStringLiteral("The later scenes are not ready: the cut waits for them ");

// Where each scene ends on the timeline, in seconds from the start line.
const double sceneEnds[] = { 7.0, 14.5, 22.0, 45.0 };
// The range of the typical (median) spacing of FPS lines, a second apart.
// Stamped on arrival, a line that comes late on a busy machine lengthens one
// spacing and shortens the next; a stall of more than a second, such as a
// storm of resizes brings, puts the next lines a second after it.
const double shortestMedianSpacing = 0.75;
const double longestMedianSpacing = 1.6;
// The last FPS line comes within an interval of the end; a busy machine
// may deliver it up to a second late.
const double lastLineBeforeEnd = 2.0;

int sceneAt(double seconds)
{
    int scene = 0;
    while (scene < 3 && seconds >= sceneEnds[scene])
        ++scene;
    return scene;
}

} // namespace

DemoLog::DemoLog(const QString &timesFile)
{
    readable = read(timesFile);
}

bool DemoLog::read(const QString &timesFile)
{
    QFile file(timesFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString raw = in.readLine();
        const int blank = raw.indexOf(QLatin1Char(' '));
        if (blank > 0)
            lines.append({ raw.left(blank).toDouble(), raw.mid(blank + 1) });
    }
    // The timeline counts from the start line, wherever it is.
    start = lines.isEmpty() ? 0.0 : lines.first().time;
    for (const Line &line : std::as_const(lines)) {
        if (line.text == startLine) {
            start = line.time;
            break;
        }
    }
    for (const Line &line : std::as_const(lines)) {
        const QRegularExpressionMatch match = fpsPattern.match(line.text);
        if (line.text == startLine) {
            ++startLines;
        } else if (match.hasMatch()) {
            fpsLines.append({ line.time - start, match.captured(1).toInt() });
            if (startLines == 0)
                ++fpsLinesBeforeStart;
        } else if (line.text.startsWith(QLatin1String("\"FPS"))) {
            ++malformedFpsLines;
        } else if (line.text == cutWaitsLine) {
            ++cutWaitsLines;
        } else if (line.text.startsWith(cannotPlayStart)) {
            cannotPlayLines.append(line.text);
        } else {
            otherLines.append(line.text);
        }
    }
    return true;
}

void DemoLog::checkStart(Checks &checks) const
{
    checks.expect(readable, "the log can be read", readable ? "yes" : "no");
    checks.expect(
        startLines == 1 && fpsLinesBeforeStart == 0,
        "\"Loading cubes \" comes once, before the FPS lines",
        QString("%1 times, %2 FPS lines before it").arg(startLines).arg(fpsLinesBeforeStart));
    checks.expect(cutWaitsLines <= 1, "a cut's wait for the later scenes is said at most once",
                  QString("%1 times").arg(cutWaitsLines));
    if (!otherLines.isEmpty())
        checks.note(QString("%1 unrelated log lines, the first").arg(otherLines.size()),
                    otherLines.first());
}

// The lines are timed against the run itself: a busy machine stalls the
// demo (llvmpipe compiles a scene's shaders on its first frame), which delays
// lines or drops them, but keeps neither the cadence nor the count of frames
// from being right.
void DemoLog::checkFpsLines(Checks &checks, double end) const
{
    const int count = fpsLines.size();
    if (!checks.expect(count >= 2 && malformedFpsLines == 0, "well-formed FPS lines are written",
                       QString("%1, and %2 malformed").arg(count).arg(malformedFpsLines)))
        return;

    QVector<double> spacings;
    bool painting = fpsLines.first().frames > 0;
    int idle = 0;
    for (int i = 1; i < count; ++i) {
        spacings.append(fpsLines[i].sinceStart - fpsLines[i - 1].sinceStart);
        if (painting && fpsLines[i].frames == 0)
            ++idle;
        painting = painting || fpsLines[i].frames > 0;
    }
    std::sort(spacings.begin(), spacings.end());
    const double median = spacings[spacings.size() / 2];
    checks.expect(median >= shortestMedianSpacing && median <= longestMedianSpacing,
                  "FPS lines come once a second",
                  QString("median spacing %1 s, longest %2 s over %3 lines")
                      .arg(median, 0, 'f', 3)
                      .arg(spacings.last(), 0, 'f', 2)
                      .arg(count));
    const double last = fpsLines.last().sinceStart + start;
    checks.expect(end - last <= lastLineBeforeEnd, "they go on until the demo ends",
                  QString("the last %1 s before the end").arg(end - last, 0, 'f', 2));
    checks.expect(idle == 0, "once painting has begun every FPS line counts frames",
                  QString("%1 later lines with 0 frames").arg(idle));
}

void DemoLog::reportScenes(Checks &checks) const
{
    int frames[4] = {};
    int seconds[4] = {};
    for (const FpsLine &line : fpsLines) {
        const int scene = sceneAt(line.sinceStart - 0.5);
        frames[scene] += line.frames;
        ++seconds[scene];
    }
    QStringList perScene;
    for (int scene = 0; scene < 4; ++scene) {
        const double mean = seconds[scene] ? double(frames[scene]) / seconds[scene] : 0.0;
        perScene << QString("scene %1: %2 lines, %3 FPS")
                        .arg(scene)
                        .arg(seconds[scene])
                        .arg(mean, 0, 'f', 1);
    }
    checks.note("FPS by scene", perScene.join(", "));
}

void DemoLog::checkSoundLines(Checks &checks, bool soundtrackPlays) const
{
    const QString seen =
        QString("%1 lines saying so%2; %3 other lines%4")
            .arg(cannotPlayLines.size())
            .arg(cannotPlayLines.isEmpty() ? "" : ", the first: " + cannotPlayLines.first())
            .arg(otherLines.size())
            .arg(otherLines.isEmpty() ? "" : ", the first: " + otherLines.first());
    if (soundtrackPlays) {
        checks.expect(cannotPlayLines.isEmpty(), "the log never says the soundtrack cannot play",
                      seen);
    } else {
        checks.expect(cannotPlayLines.size() == 1 && otherLines.isEmpty(),
                      "the log says once that the soundtrack cannot play, and nothing else but "
                      "the demo's own lines",
                      seen);
    }
}
