#include "scenerehearsal.h"

#include "multisampletarget.h"
#include "scenes.h"

#include <QOpenGLContext>
#include <QRect>

#include <malloc.h>
#include <sys/resource.h>

namespace {
// Renderers that compile their shaders on the CPU, as GL_RENDERER names
// them; zink on lavapipe names llvmpipe too.
const char *const CpuRenderers[] = { "llvmpipe", "softpipe" };
const char *const Setting = "PLOK_REHEARSAL";
// The thread's name, as the system shows it: the tests wait for its end.
const char *const ThreadName = "rehearsal";

// The thread yields to the frames the window shows meanwhile, and to the
// rest of the machine, but is not starved by a busy one.
const int Niceness = 10;
// What is compiled does not depend on the size drawn, but on whether the
// plasma is drawn smaller than its image: no larger than that, as small as
// a window shows it.
const QSize ThreadTargetSize(256, 256);
// Each pass, in a context of its own, leaves in Mesa's shader cache what a
// later launch asks for after the pass before: see "The rehearsal's passes"
// in docs/performance.md.
const int Passes = 4;
// How long the demo's end waits for a thread caught in the driver.
const int EndWait = 1000;

// The steps draw into a corner of the target, which costs little; the next
// frame covers it. A scissor would confine the clears too, but llvmpipe
// then clears by drawing, with a shader that no frame needs.
const QRect Corner(0, 0, 64, 64);

// The viewport on the corner for as long as this lives.
class CornerViewport
{
public:
    CornerViewport()
    {
        glGetIntegerv(GL_VIEWPORT, viewport);
        glViewport(Corner.x(), Corner.y(), Corner.width(), Corner.height());
    }
    ~CornerViewport() { glViewport(viewport[0], viewport[1], viewport[2], viewport[3]); }
    CornerViewport(const CornerViewport &) = delete;
    CornerViewport &operator=(const CornerViewport &) = delete;

private:
    GLint viewport[4] = {};
};

// Said once: an unknown value leaves the choice to the renderer.
QByteArray setting()
{
    const QByteArray value = qgetenv(Setting);
    static bool told = false;
    if (!value.isEmpty() && value != "on" && value != "off" && !told) {
        told = true;
        qWarning("Plok ignores %s=%s: it takes on or off.", Setting, value.constData());
    }
    return value;
}
} // namespace

bool SceneRehearsal::onThread(const QByteArray &renderer, bool threadedGL,
                              const QByteArray &setting)
{
    if (setting == "on" || setting == "off")
        return setting == "on";
    bool compilesOnCpu = false;
    for (const char *cpuRenderer : CpuRenderers)
        compilesOnCpu = compilesOnCpu || renderer.contains(cpuRenderer);
    return compilesOnCpu && threadedGL;
}

SceneRehearsal::SceneRehearsal(Scenes &scenes, MultisampleTarget &target)
    : scenes(scenes)
    , target(target)
    , thread(QThread::create([this] { rehearseOnThread(); }))
{
    thread->setObjectName(ThreadName);
    QObject::connect(thread.get(), &QThread::finished, &listener, [this] { endThread(); });
}

SceneRehearsal::~SceneRehearsal()
{
    endThread();
}

// The surface is made here, on the GUI thread, as the toolkit needs.
void SceneRehearsal::start()
{
    begun = true;
    const auto renderer = reinterpret_cast<const char *>(glGetString(GL_RENDERER));
    if (!onThread(renderer, QOpenGLContext::supportsThreadedOpenGL(), setting()))
        return;
    threaded = true;
    pictures = scenes.decodedPictures();
    samples = target.samples();
    surface = std::make_unique<QOffscreenSurface>();
    surface->setFormat(QOpenGLContext::currentContext()->format());
    surface->create();
    thread->start();
}

bool SceneRehearsal::started() const
{
    return begun;
}

void SceneRehearsal::stepBetweenFrames()
{
    if (done() || (thread && thread->isRunning()))
        return;
    endThread();
    take(next, scenes, target);
    next = after(next);
}

// A thread still at work goes on filling the shader cache for the next
// launch.
void SceneRehearsal::finishNow()
{
    begun = true;
    for (; !done(); next = after(next))
        take(next, scenes, target);
}

bool SceneRehearsal::done() const
{
    return next == Step::Done;
}

// The thread, its surface, and all that its contexts made go as soon as it
// has ended: the allocator hands what they held back to the system, which
// it would otherwise keep for the thread that has gone. A thread caught in
// the driver is left to the process's end.
void SceneRehearsal::endThread()
{
    if (!thread)
        return;
    thread->requestInterruption();
    if (!thread->wait(EndWait)) {
        qWarning("Plok's rehearsal of its scenes did not end; the demo goes on without it.");
        thread.release();
        surface.release();
        return;
    }
    thread.reset();
    surface.reset();
    pictures.clear();
    if (threaded)
        malloc_trim(0);
}

SceneRehearsal::Step SceneRehearsal::after(Step step)
{
    return step == Step::Done ? step : Step(int(step) + 1);
}

void SceneRehearsal::take(Step step, Scenes &scenes, MultisampleTarget &target)
{
    switch (step) {
    case Step::Pictures:
        scenes.uploadLaterPictures();
        break;
    // The target is made when first bound, and its memory comes from the
    // system as it is first written: its first clear is a step of its own.
    case Step::Target:
        target.bind();
        Scenes::clearBuffers();
        target.bindOutput();
        glFinish();
        break;
    case Step::SceneOne:
        drawUnseen(1, scenes, target);
        break;
    case Step::Resolve:
        target.resolve(Corner);
        glFinish();
        break;
    case Step::SceneTwo:
        drawUnseen(2, scenes, target);
        break;
    case Step::SceneThree:
        drawUnseen(3, scenes, target);
        break;
    case Step::Done:
        break;
    }
}

// The driver makes what draws a scene again for another order of the draws
// within a frame: each scene is drawn twice, the first after a frame of the
// scene before, each flushed as a swap would. Where the objects stand plays
// no part in it; what the later scenes light is lit only for the while.
void SceneRehearsal::drawUnseen(int scene, Scenes &scenes, MultisampleTarget &target)
{
    const CornerViewport corner;
    const bool lit = scene >= 2;
    if (lit)
        scenes.switchLight(true);
    target.bind();
    for (int frame = 0; frame < 2; ++frame) {
        scenes.paint(scene);
        glFlush();
    }
    target.bindOutput();
    if (lit)
        scenes.switchLight(false);
    glFinish();
}

// As a window draws it, straight into its output.
void SceneRehearsal::paintFirstScene(Scenes &scenes, MultisampleTarget &target)
{
    target.bindOutput();
    scenes.paint(0);
}

// A thread asked to stop (the window has closed, or finished without it)
// stops between steps.
void SceneRehearsal::rehearseOnThread()
{
    // On Linux this sets the calling thread's own niceness.
    setpriority(PRIO_PROCESS, 0, Niceness);
    for (int pass = 0; pass < Passes && !QThread::currentThread()->isInterruptionRequested();
         ++pass) {
        if (!rehearse())
            return;
    }
}

// The window's first frames, with every step between them, on scenes and a
// target of the thread's own. Where no context can be made, the window's
// steps compile it all.
bool SceneRehearsal::rehearse()
{
    QOpenGLContext context;
    context.setFormat(surface->format());
    if (!context.create() || !context.makeCurrent(surface.get()))
        return false;
    {
        QObject owner;
        Scenes passScenes(&owner, pictures);
        MultisampleTarget passTarget;
        passScenes.setUp();
        passTarget.create(context.defaultFramebufferObject(), ThreadTargetSize, samples);
        passScenes.resize(ThreadTargetSize.width(), ThreadTargetSize.height());
        paintFirstScene(passScenes, passTarget);
        for (Step step = Step::Pictures; step != Step::Done; step = after(step)) {
            if (QThread::currentThread()->isInterruptionRequested())
                break;
            take(step, passScenes, passTarget);
            paintFirstScene(passScenes, passTarget);
        }
    }
    context.doneCurrent();
    return true;
}
