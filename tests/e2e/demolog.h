#ifndef DEMOLOG_H
#define DEMOLOG_H

#include <QStringList>
#include <QVector>

class Checks;

// The demo's standard error as stamp_lines (scripts/lib/demo.sh) saved it:
// every line prefixed with the wall-clock second of its arrival.
class DemoLog
{
public:
    explicit DemoLog(const QString &timesFile);

    void checkStart(Checks &checks) const;
    // end: when the demo ended, in the log's seconds.
    void checkFpsLines(Checks &checks, double end) const;
    void reportScenes(Checks &checks) const;
    // Playing, the log never says that the soundtrack cannot play; silent,
    // it says so once and otherwise holds only the demo's own lines.
    void checkSoundLines(Checks &checks, bool soundtrackPlays) const;

private:
    struct Line
    {
        double time;
        QString text;
    };
    struct FpsLine
    {
        double sinceStart;
        int frames;
    };

    bool read(const QString &timesFile);

    bool readable = false;
    double start = 0.0; // the arrival of the start line
    int startLines = 0;
    int fpsLinesBeforeStart = 0;
    int malformedFpsLines = 0;
    int cutWaitsLines = 0;
    QVector<Line> lines;
    QVector<FpsLine> fpsLines;
    QStringList cannotPlayLines;
    QStringList otherLines;
};

#endif // DEMOLOG_H
