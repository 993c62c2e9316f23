#ifndef CHECKS_H
#define CHECKS_H

#include <QString>

// A run of checks that prints every verdict with what was measured, so that
// a failing end-to-end test says what it saw.
class Checks
{
public:
    bool expect(bool ok, const QString &what, const QString &measured);
    void note(const QString &what, const QString &measured);
    int exitCode() const { return failures == 0 ? 0 : 1; }

private:
    int failures = 0;
};

#endif // CHECKS_H
