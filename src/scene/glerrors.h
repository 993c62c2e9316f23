#ifndef GLERRORS_H
#define GLERRORS_H

#include <QString>

// The errors the current GL context has recorded since they were last read.
// The scenes make no GL call whose result they test as they draw: a call
// that fails records an error and changes nothing, and the frame shows less
// than it should. So the errors are read after the set-up, and in a capture
// after each frame.
class GLErrors
{
public:
    // Reads and clears them: their names, or an empty string where there
    // are none.
    static QString take();
    // Says in a line on standard error which errors there were `when`, if
    // any.
    static void report(const char *when);
};

#endif // GLERRORS_H
