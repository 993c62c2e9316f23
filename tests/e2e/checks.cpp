#include "checks.h"

#include <cstdio>

bool Checks::expect(bool ok, const QString &what, const QString &measured)
{
    std::printf("%s %s: %s\n", ok ? "ok  " : "FAIL", qPrintable(what), qPrintable(measured));
    std::fflush(stdout);
    if (!ok)
        ++failures;
    return ok;
}

void Checks::note(const QString &what, const QString &measured)
{
    std::printf("     %s: %s\n", qPrintable(what), qPrintable(measured));
    std::fflush(stdout);
}
