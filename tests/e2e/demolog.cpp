#include "demolog.h"

#include "checks.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>

namespace {

const QString startLine = QStringLiteral("Loading cubes ");
const QRegularExpression fpsPattern(QStringLiteral("^\"FPS: (\\d+)\" $"));

// Where each scene ends on the timeline, in seconds from the start line.
const double sceneEnds[] = { 7.0, 14.5, 22.0, 45.0 };
// The longest pause between two FPS lines that still counts as steady.
const double longestGap = 2.5;

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
    double start = lines.isEmpty() ? 0.0 : lines.first().time;
    for (const Line &line : qAsConst(lines)) {
        if (line.text == startLine) {
            start = line.time;
            break;
        }
    }
    for (const Line &line : lines.mid(1)) {
        const QRegularExpressionMatch match = fpsPattern.match(line.text);
        if (match.hasMatch())
            fpsLines.append({ line.time - start, match.captured(1).toInt() });
        else if (line.text != startLine)
            otherLines.append(line.text);
    }
    return true;
}

void DemoLog::checkStart(Checks &checks) const
{
    checks.expect(readable, "the log can be read", readable ? "yes" : "no");
    const QString first = lines.isEmpty() ? QString("(empty log)") : lines.first().text;
    checks.expect(first == startLine, "the first log line is \"Loading cubes \"",
                  "\"" + first + "\"");
    if (!otherLines.isEmpty())
        checks.note(QString("%1 unrelated log lines, the first").arg(otherLines.size()),
                    otherLines.first());
}

void DemoLog::checkFpsLines(Checks &checks, int minLines, int maxLines) const
{
    const int count = fpsLines.size();
    checks.expect(count >= minLines && count <= maxLines,
                  QString("%1 to %2 FPS lines").arg(minLines).arg(maxLines),
                  QString::number(count));
    if (fpsLines.isEmpty())
        return;

    int idle = 0;
    double gap = fpsLines.first().sinceStart;
    for (int i = 0; i < count; ++i) {
        if (fpsLines[i].frames == 0)
            ++idle;
        if (i > 0)
            gap = std::max(gap, fpsLines[i].sinceStart - fpsLines[i - 1].sinceStart);
    }
    checks.expect(idle == 0, "every FPS line counts painted frames",
                  QString("%1 lines with 0 frames").arg(idle));
    checks.expect(gap <= longestGap, "FPS lines come about once a second",
                  QString("longest gap %1 s, last line at %2 s")
                      .arg(gap, 0, 'f', 2)
                      .arg(fpsLines.last().sinceStart, 0, 'f', 2));
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
