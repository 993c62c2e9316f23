#include "glwidget.h"

#include "debuglog.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {
const int FpsInterval = 1000;
// Qt 4's timers kept to the millisecond; Qt 5's default coarse timers may
// shift a scene change by a third of a second.
const Qt::TimerType TimerAccuracy = Qt::PreciseTimer;
// The mean of the frames' durations moves a quarter of the way to each new
// one.
const int FrameDurationSmoothing = 4;
} // namespace

GLWidget::GLWidget(QWindow *parent)
    : GLWidget(nullptr, parent)
{
}

GLWidget::GLWidget(const Clock *clock, QWindow *parent)
    : QOpenGLWindow(NoPartialUpdate, parent)
    , director(this, clock ? clock : &wallClock)
{
    setFormat(SceneDirector::surfaceFormat());
    setTitle(tr("Vash by [Q]"));
    DebugLog::text("Loading cubes");
    sceneTimer.setSingleShot(true);
    sceneTimer.setTimerType(TimerAccuracy);
    connect(&sceneTimer, &QTimer::timeout, this, &GLWidget::followTimeline);
    followTimeline();
    frameTimer = startTimer(SceneDirector::FrameInterval, TimerAccuracy);
    fpsTimer = startTimer(FpsInterval, TimerAccuracy);
    connect(this, &QOpenGLWindow::frameSwapped, this, &GLWidget::frameShown);
}

GLWidget::~GLWidget() = default;

void GLWidget::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == frameTimer) {
        followTimeline();
        update();
    } else if (event->timerId() == fpsTimer) {
        writeFps();
    }
}

// Every scene change comes when the clock reaches its place on the
// timeline: the scene timer aims at that moment, and every frame tick looks
// again, so that a clock which runs ahead of the wall clock (the soundtrack
// does) is followed within a frame, and one that stalls holds the change.
// No change is made before the later scenes are prepared, which a window
// that is never shown may never be: until then the scene timer rests, and
// the frame ticks and the end of the preparation look again.
void GLWidget::followTimeline()
{
    while (director.changeDue(cutLead()))
        changeScene();
    if (!director.finished() && director.laterScenesPrepared())
        sceneTimer.start(int(director.msecsToChange(cutLead())));
    if (director.changeWaits(cutLead()) && !saidWaiting) {
        DebugLog::text("The later scenes are not ready: the cut waits for them");
        saidWaiting = true;
    }
}

// How long before the clock reaches a change it is made. A cut is seen once
// the frame that shows it has been drawn; the end at once, as the window
// closes. The clock is looked at between frames: a look that falls while a
// frame is being painted waits for the frame's end, half a frame on average,
// and it falls so as often as a frame is being painted, which is always when
// frames take longer than the frame timer's interval.
qint64 GLWidget::cutLead() const
{
    const qint64 seenAfter = director.inLastScene() ? 0 : frameDuration;
    const qint64 framePeriod = qMax(frameDuration, qint64(SceneDirector::FrameInterval));
    const qint64 lookWaits = frameDuration * frameDuration / (2 * framePeriod);
    return seenAfter + lookWaits;
}

void GLWidget::writeFps()
{
    DebugLog::string(QString("FPS: %1").arg(frames));
    frames = 0;
}

void GLWidget::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        break;
    case Qt::Key_F:
        toggleFullScreen();
        break;
    case Qt::Key_Return:
        // The modifiers held now, not those the event recorded.
        if (QGuiApplication::keyboardModifiers() == Qt::AltModifier)
            toggleFullScreen();
        break;
    }
}

bool GLWidget::isFullScreen() const
{
    return windowStates() & Qt::WindowFullScreen;
}

void GLWidget::toggleFullScreen()
{
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

void GLWidget::initializeGL()
{
    director.start(defaultFramebufferObject(), pixelSize(width(), height()),
                   MultisampleTarget::Samples, SceneDirector::Smoothing::CubeScenes,
                   SceneDirector::Preparation::InParts);
}

void GLWidget::resizeGL(int width, int height)
{
    pixelRatio = devicePixelRatio();
    const QSize pixels = pixelSize(width, height);
    director.resizeGL(pixels.width(), pixels.height());
}

// The window's size is given in the desktop's scaled units; GL draws in
// pixels.
QSize GLWidget::pixelSize(int width, int height) const
{
    const qreal ratio = devicePixelRatio();
    return QSize(qRound(width * ratio), qRound(height * ratio));
}

// A change of the desktop's scale may come without a resize.
void GLWidget::paintGL()
{
    frameTime.start();
    if (devicePixelRatio() != pixelRatio)
        resizeGL(width(), height());
    director.step();
    director.paint();
    ++frames;
}

// The painting and the buffer swap, where the frame is rasterised and sent
// to the screen. What the first frame does not need waits until it is
// shown, and behind whatever else waits for that (the soundtrack); then a
// part of it comes after each frame, in the time before the next.
void GLWidget::frameShown()
{
    frameDuration += (frameTime.elapsed() - frameDuration) / FrameDurationSmoothing;
    if (!preparationHeld && !director.laterScenesPrepared())
        QTimer::singleShot(0, this, &GLWidget::prepareLaterScenes);
}

void GLWidget::holdPreparation()
{
    preparationHeld = true;
}

// The preparation goes on from the next frame shown.
void GLWidget::releasePreparation()
{
    preparationHeld = false;
}

void GLWidget::prepareLaterScenes()
{
    if (director.laterScenesPrepared())
        return;
    makeCurrent();
    director.prepareNextPart();
    followTimeline();
}

// The cut is painted at once rather than at the next frame tick.
void GLWidget::changeScene()
{
    // Called from the event loop, between paints: the light and the texture
    // binding need the window's context, which the toolkit does not leave
    // current.
    makeCurrent();
    if (director.changeScene())
        update();
    else
        close();
}
