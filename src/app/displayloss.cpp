#include "displayloss.h"

#include <X11/Xlib.h>

#include <atomic>
#include <cstdlib>
#include <unistd.h>

namespace {
const char LostDisplay[] = "Plok lost its display and ends.\n";
const int LostDisplayStatus = 1;

std::atomic<bool> loopHasEnded { false };

[[noreturn]] void end()
{
    // Only what is safe wherever the process stands: a write and _exit.
    const ssize_t written = write(STDERR_FILENO, LostDisplay, sizeof LostDisplay - 1);
    static_cast<void>(written);
    _exit(LostDisplayStatus);
}

int onLostConnection(Display *)
{
    end();
}

void onExit()
{
    if (!loopHasEnded)
        end();
}
} // namespace

namespace DisplayLoss {

void endAtOnce()
{
    XSetIOErrorHandler(onLostConnection);
    std::atexit(onExit);
}

void stayFirstAtExit()
{
    std::atexit(onExit);
}

void loopEnded()
{
    loopHasEnded = true;
}

} // namespace DisplayLoss
