#ifndef PROGRESSREPORT_H
#define PROGRESSREPORT_H

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

// How far a capture has come, on standard error: one line kept up to date on
// a terminal, a line every few seconds elsewhere (a log, a pipe).
class ProgressReport
{
public:
    explicit ProgressReport(qint64 total);

    void frameDone();
    void finish();
    double framesPerSecond() const;
    double seconds() const;

private:
    QString line() const;
    void print();

    qint64 total;
    qint64 done = 0;
    bool terminal;
    QElapsedTimer clock;
    qint64 printedAt = 0;
};

#endif // PROGRESSREPORT_H
