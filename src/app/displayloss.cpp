#include "displayloss.h"

#include <X11/Xlib.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace {
const char LostDisplay[] = "Plok lost its display and ends.\n";
const int LostDisplayStatus = 1;

std::atomic<bool> loopHasEnded { false };

// Only what is safe wherever the process stands: a write and _exit.
int onLostConnection(Display *)
{
    const ssize_t written = write(STDERR_FILENO, LostDisplay, sizeof LostDisplay - 1);
    static_cast<void>(written);
    _exit(LostDisplayStatus);
}

// Whoever calls exit() while the loop runs has said why: the toolkit, when
// its own connection breaks, writes "The X11 connection broke".
void onExit()
{
    if (!loopHasEnded)
        _exit(LostDisplayStatus);
}
} // namespace

namespace DisplayLoss {

void endAtOnce()
{
    // A write to the display's closed socket would otherwise end the
    // process by SIGPIPE before Xlib or the toolkit could notice.
    std::signal(SIGPIPE, SIG_IGN);
    XSetIOErrorHandler(onLostConnection);
    std::atexit(onExit);
}

void stayFirstAtExit()
{
    std::atexit(onExit);
}

void loopEnded(int status)
{
    if (status != 0)
        _exit(status);
    loopHasEnded = true;
}

} // namespace DisplayLoss
