// Preloaded into the demo by scripts/bench (LD_PRELOAD): notes when the
// first frame reaches the screen, every frame of the first seconds, and the
// longest wait between frames once the first second is over, which the demo
// itself does not log. At the first buffer swap it writes one line to the
// file named by PLOK_FIRST_FRAME_FILE: the wall-clock time in microseconds
// since the epoch right after the swap, then the GL renderer and version
// strings, separated by tabs. At exit it adds a line "swap" and the time for
// each swap of the first seconds, then a line "longest", the longest time
// between two swaps of which the first came a second or more after the first
// frame, and the wall-clock time of the second, in microseconds. Every call
// is handed on to the real glXSwapBuffers.

#include <GL/gl.h>
#include <GL/glx.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
using SwapBuffers = void (*)(Display *, GLXDrawable);

const long long FirstSecond = 1000000;
// The swaps noted one by one: the start-up, the first cut, and a margin.
const int NotedSwaps = 400;

long long wallClockMicroseconds()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec * 1000000LL + now.tv_nsec / 1000;
}

const char *glString(GLenum name)
{
    const auto *text = reinterpret_cast<const char *>(glGetString(name));
    return text ? text : "unknown";
}

// The swaps, and at exit the longest wait between two after the first second.
struct Swaps
{
    long long first = 0;
    long long last = 0;
    long long longest = 0;
    long long longestEndedAt = 0;
    long long noted[NotedSwaps] = {};
    int count = 0;

    void note(long long swappedAt)
    {
        if (last >= first + FirstSecond && swappedAt - last > longest) {
            longest = swappedAt - last;
            longestEndedAt = swappedAt;
        }
        last = swappedAt;
        if (count < NotedSwaps)
            noted[count++] = swappedAt;
    }

    ~Swaps()
    {
        const char *path = std::getenv("PLOK_FIRST_FRAME_FILE");
        if (!path || first == 0)
            return;
        if (FILE *file = std::fopen(path, "a")) {
            for (int i = 0; i < count; ++i)
                std::fprintf(file, "swap\t%lld\n", noted[i]);
            std::fprintf(file, "longest\t%lld\t%lld\n", longest, longestEndedAt);
            std::fclose(file);
        }
    }
} swaps;

void noteFirstFrame(long long swappedAt)
{
    const char *path = std::getenv("PLOK_FIRST_FRAME_FILE");
    if (!path)
        return;
    if (FILE *file = std::fopen(path, "w")) {
        std::fprintf(file, "%lld\t%s\t%s\n", swappedAt, glString(GL_RENDERER),
                     glString(GL_VERSION));
        std::fclose(file);
    }
}
} // namespace

extern "C" void glXSwapBuffers(Display *display, GLXDrawable drawable)
{
    static const auto realSwapBuffers =
        reinterpret_cast<SwapBuffers>(dlsym(RTLD_NEXT, "glXSwapBuffers"));

    realSwapBuffers(display, drawable);
    const long long swappedAt = wallClockMicroseconds();
    if (swaps.first == 0) {
        swaps.first = swappedAt;
        noteFirstFrame(swappedAt);
    }
    swaps.note(swappedAt);
}
