#include "scenedirector.h"

#include "clock.h"

SceneDirector::SceneDirector(QObject *owner, const Clock *clock)
    : clock(clock)
    , timeline(clock)
    , scenery(owner)
{
}

QSurfaceFormat SceneDirector::surfaceFormat()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setDepthBufferSize(0);
    format.setStencilBufferSize(0);
    format.setSamples(0);
    return format;
}

qint64 SceneDirector::length()
{
    return Timeline::length();
}

void SceneDirector::start(GLuint output, QSize size, int samples, Smoothing smoothing)
{
    this->smoothing = smoothing;
    scenery.setUp();
    frameTarget.create(output, size, samples);
    resizeGL(size.width(), size.height());
}

void SceneDirector::resizeGL(int width, int height)
{
    const int h = qMax(height, 1);
    scenery.resize(width, h);
    frameTarget.resize(QSize(width, h));
}

bool SceneDirector::changeDue(qint64 lead) const
{
    return timeline.changeDue(lead);
}

qint64 SceneDirector::msecsToChange(qint64 lead) const
{
    return timeline.msecsToChange(lead);
}

bool SceneDirector::changeScene()
{
    if (!timeline.advance())
        return false;
    scenery.enter(timeline.scene());
    return true;
}

bool SceneDirector::finished() const
{
    return timeline.finished();
}

bool SceneDirector::inLastScene() const
{
    return timeline.inLastScene();
}

void SceneDirector::step()
{
    scenery.step(timeline.scene());
}

// The cubes draw with samples, smoothing their edges, and are resolved into
// the output; the plasma, a quad that covers whole pixels, draws straight
// into it unless every scene is smoothed.
void SceneDirector::paint()
{
    const int scene = timeline.scene();
    if (scene == 0 && smoothing == Smoothing::CubeScenes) {
        frameTarget.bindOutput();
        scenery.paint(scene);
        return;
    }
    frameTarget.bind();
    scenery.paint(scene);
    frameTarget.resolve();
}

void SceneDirector::renderPlasmaAtClock()
{
    scenery.renderPlasmaAt(clock->elapsed());
}

Scenes &SceneDirector::scenes()
{
    return scenery;
}

MultisampleTarget &SceneDirector::target()
{
    return frameTarget;
}
