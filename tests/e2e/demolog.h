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
    void checkFpsLines(Checks &checks, int minLines, int maxLines) const;
    void reportScenes(Checks &checks) const;

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
    QVector<Line> lines;
    QVector<FpsLine> fpsLines;
    QStringList otherLines;
};

#endif // DEMOLOG_H
