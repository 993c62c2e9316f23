// Preloaded into the demo by scripts/bench-cuts (LD_PRELOAD): notes every
// frame it shows, which the demo itself does not log. At each buffer swap it
// reads a grid of pixels from the back buffer, hands the call on to the real
// glXSwapBuffers and notes the wall-clock time when that returns; when the
// window is unmapped (closed) it notes that time too. Everything is kept in
// memory and written to the file named by PLOK_FRAME_TRACE_FILE in large
// blocks and at exit, one line per event:
//   frame SWAPPED_US WIDTHxHEIGHT FINISH_US READ_US SWAP_US PIXELS
//   unmap UNMAPPED_US
// Times ending in _US at the start of a line are wall-clock microseconds
// since the epoch; FINISH_US, READ_US and SWAP_US are how long the hook
// waited for the frame's rendering, read the pixels and swapped. PIXELS are
// GridColumns x GridRows RGB triples in hex, row by row from the top left,
// each the centre of its cell of the window.

#include <GL/gl.h>
#include <GL/glx.h>
#include <xcb/xcb.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {
using SwapBuffers = void (*)(Display *, GLXDrawable);
using UnmapWindow = xcb_void_cookie_t (*)(xcb_connection_t *, xcb_window_t);

const int GridColumns = 32;
const int GridRows = 18;
const int GridPoints = GridColumns * GridRows;
// About a minute of frames at the demo's rate between two writes.
const size_t FramesPerBlock = 2048;

struct Frame
{
    long long swappedAt;
    int width, height;
    int finishMicroseconds, readMicroseconds, swapMicroseconds;
    unsigned char pixels[GridPoints][3];
};

long long microseconds(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return now.tv_sec * 1000000LL + now.tv_nsec / 1000;
}

class Trace
{
public:
    Trace() { frames.reserve(FramesPerBlock); }
    ~Trace() { flush(); }

    Frame &newFrame()
    {
        if (frames.size() == FramesPerBlock)
            flush();
        frames.emplace_back();
        return frames.back();
    }

    void noteUnmap(long long at)
    {
        if (unmappedAt == 0 && !frames.empty())
            unmappedAt = at;
    }

private:
    void flush()
    {
        if (!file)
            file = openFile();
        if (!file)
            return;
        for (const Frame &frame : frames)
            write(frame);
        frames.clear();
        if (unmappedAt != 0) {
            std::fprintf(file, "unmap %lld\n", unmappedAt);
            unmappedAt = -1;
        }
        std::fflush(file);
    }

    static FILE *openFile()
    {
        const char *path = std::getenv("PLOK_FRAME_TRACE_FILE");
        return path ? std::fopen(path, "w") : nullptr;
    }

    void write(const Frame &frame)
    {
        std::fprintf(file, "frame %lld %dx%d %d %d %d ", frame.swappedAt, frame.width, frame.height,
                     frame.finishMicroseconds, frame.readMicroseconds, frame.swapMicroseconds);
        for (const auto &pixel : frame.pixels)
            std::fprintf(file, "%02x%02x%02x", pixel[0], pixel[1], pixel[2]);
        std::fputc('\n', file);
    }

    std::vector<Frame> frames;
    long long unmappedAt = 0;
    FILE *file = nullptr;
};

Trace trace;

// One glReadPixels a grid row, of the whole row: a multisampled default
// framebuffer is resolved for what is read, so a few rows cost far less than
// the whole window, and far fewer calls than one a point.
void readGrid(Frame &frame)
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    frame.width = viewport[2];
    frame.height = viewport[3];
    if (frame.width <= 0 || frame.height <= 0)
        return;

    GLint readBuffer = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(GL_BACK);
    static std::vector<unsigned char> row;
    row.resize(size_t(frame.width) * 4);
    for (int r = 0; r < GridRows; ++r) {
        // GL counts rows from the bottom; the grid from the top.
        const int y = frame.height - 1 - (2 * r + 1) * frame.height / (2 * GridRows);
        glReadPixels(0, y, frame.width, 1, GL_RGBA, GL_UNSIGNED_BYTE, row.data());
        for (int c = 0; c < GridColumns; ++c) {
            const unsigned char *pixel =
                &row[size_t((2 * c + 1) * frame.width / (2 * GridColumns)) * 4];
            unsigned char *noted = frame.pixels[r * GridColumns + c];
            noted[0] = pixel[0];
            noted[1] = pixel[1];
            noted[2] = pixel[2];
        }
    }
    glReadBuffer(GLenum(readBuffer));
}
} // namespace

extern "C" void glXSwapBuffers(Display *display, GLXDrawable drawable)
{
    static const auto realSwapBuffers =
        reinterpret_cast<SwapBuffers>(dlsym(RTLD_NEXT, "glXSwapBuffers"));

    Frame &frame = trace.newFrame();
    const long long started = microseconds(CLOCK_MONOTONIC);
    long long finished = started;
    long long read = started;
    if (glXGetCurrentDrawable() == drawable) {
        // The swap waits for the rendering anyway; waiting here first keeps
        // that wait out of the reading's cost.
        glFinish();
        finished = microseconds(CLOCK_MONOTONIC);
        readGrid(frame);
        read = microseconds(CLOCK_MONOTONIC);
    }
    realSwapBuffers(display, drawable);
    frame.swappedAt = microseconds(CLOCK_REALTIME);
    frame.finishMicroseconds = int(finished - started);
    frame.readMicroseconds = int(read - finished);
    frame.swapMicroseconds = int(microseconds(CLOCK_MONOTONIC) - read);
}

extern "C" xcb_void_cookie_t xcb_unmap_window(xcb_connection_t *connection, xcb_window_t window)
{
    static const auto realUnmapWindow =
        reinterpret_cast<UnmapWindow>(dlsym(RTLD_NEXT, "xcb_unmap_window"));

    trace.noteUnmap(microseconds(CLOCK_REALTIME));
    return realUnmapWindow(connection, window);
}
