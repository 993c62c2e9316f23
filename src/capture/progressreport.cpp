#include "progressreport.h"

#include <unistd.h>

namespace {
const qint64 TerminalInterval = 250; // ms
const qint64 LogInterval = 5000;
} // namespace

ProgressReport::ProgressReport(qint64 total)
    : total(total)
    , terminal(isatty(fileno(stderr)))
{
    clock.start();
}

void ProgressReport::frameDone()
{
    ++done;
    const qint64 now = clock.elapsed();
    if (now - printedAt >= (terminal ? TerminalInterval : LogInterval)) {
        printedAt = now;
        print();
    }
}

void ProgressReport::finish()
{
    print();
    if (terminal)
        std::fputc('\n', stderr);
}

double ProgressReport::framesPerSecond() const
{
    return done / qMax(seconds(), 0.001);
}

double ProgressReport::seconds() const
{
    return clock.elapsed() / 1000.0;
}

QString ProgressReport::line() const
{
    const double rate = framesPerSecond();
    const qint64 left = rate > 0 ? qint64((total - done) / rate) : 0;
    return QString("frame %1 of %2 (%3 %), %4 frames/s, %5:%6 left")
        .arg(done)
        .arg(total)
        .arg(done * 100 / qMax<qint64>(total, 1))
        .arg(rate, 0, 'f', 1)
        .arg(left / 60)
        .arg(left % 60, 2, 10, QChar('0'));
}

// On a terminal the line is rewritten in place.
void ProgressReport::print()
{
    const QByteArray text = line().toLocal8Bit();
    if (terminal)
        std::fprintf(stderr, "\r%s\033[K", text.constData());
    else
        std::fprintf(stderr, "%s\n", text.constData());
    std::fflush(stderr);
}
