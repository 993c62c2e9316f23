#include "scenerehearsal.h"

#include "scenedirector.h"
#include "wallclock.h"

#include <QOpenGLContext>

#include <sys/resource.h>

namespace {
// The rehearsal yields to the frames the window shows meanwhile, and to
// the rest of the machine, but is not starved by a busy one.
const int Niceness = 10;

// What is compiled does not depend on the size drawn, but on whether the
// plasma is drawn smaller than its image: no larger than that, as small as
// a window shows it.
const QSize RehearsalSize(256, 256);

// Mesa 22's llvmpipe caches each shader it compiles under the shader's code
// as it stands, and compiling a shader rewrites that code. So a context that
// compiles the first variant of a shader caches the later ones under keys
// that a later launch, which finds the first in the cache and compiles
// nothing, never asks for: that launch compiles them again, between the
// window's frames (65 to 110 ms on Debian 12). Each pass, in a context of
// its own, finds in the cache one more variant of each shader than the pass
// before and caches the next under the key a later launch asks for. Four
// cover the scenes: after a first launch with four passes, the next one
// adds nothing to the cache; with one pass it adds four shaders (and the
// launch after it one more), with three passes one.
const int Passes = 4;
} // namespace

SceneRehearsal::SceneRehearsal(const QSurfaceFormat &format, int samples)
    : samples(samples)
{
    surface.setFormat(format);
    surface.create();
}

// A window that closes meanwhile waits for the part under way, not the
// whole rehearsal.
SceneRehearsal::~SceneRehearsal()
{
    requestInterruption();
    wait();
}

void SceneRehearsal::run()
{
    // On Linux this sets the calling thread's own niceness.
    setpriority(PRIO_PROCESS, 0, Niceness);
    for (int pass = 0; pass < Passes && !isInterruptionRequested(); ++pass) {
        if (!rehearse())
            return;
    }
}

// Where no context can be made, the window's context compiles it all.
bool SceneRehearsal::rehearse()
{
    QOpenGLContext context;
    context.setFormat(surface.format());
    if (!context.create() || !context.makeCurrent(&surface))
        return false;
    {
        QObject owner;
        WallClock clock;
        SceneDirector director(&owner, &clock);
        director.start(context.defaultFramebufferObject(), RehearsalSize, samples,
                       SceneDirector::Smoothing::CubeScenes, SceneDirector::Preparation::AtStart);
    }
    context.doneCurrent();
    return true;
}
