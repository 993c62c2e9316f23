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

// Where no context can be made, the window's context compiles it all.
void SceneRehearsal::run()
{
    // On Linux this sets the calling thread's own niceness.
    setpriority(PRIO_PROCESS, 0, Niceness);
    QOpenGLContext context;
    context.setFormat(surface.format());
    if (!context.create() || !context.makeCurrent(&surface))
        return;
    {
        QObject owner;
        WallClock clock;
        SceneDirector director(&owner, &clock);
        director.start(context.defaultFramebufferObject(), RehearsalSize, samples,
                       SceneDirector::Preparation::AtStart);
    }
    context.doneCurrent();
}
