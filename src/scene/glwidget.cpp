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
// The longest a cut waits for the rehearsal once the window can draw.
const qint64 MaxCutWait = 250;
} // namespace

GLWidget::GLWidget(QWindow *parent)
    : GLWidget(nullptr, parent)
{
}

GLWidget::GLWidget(const Clock *clock, QWindow *parent)
    : QOpenGLWindow(NoPartialUpdate, parent)
    , director(this, clock ? clock : &wallClock)
    , rehearsal(director.scenes(), director.target())
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
// A change that finds the later scenes not yet rehearsed waits for them; the
// scene timer then aims at the end of the wait.
void GLWidget::followTimeline()
{
    while (director.changeDue(cutLead()) && laterScenesReady())
        changeScene();
    if (director.finished())
        return;
    if (rehearsal.done())
        sceneTimer.start(int(director.msecsToChange(cutLead())));
    else if (cutWait.isValid())
        sceneTimer.start(int(qMax<qint64>(MaxCutWait - cutWait.elapsed(), 0)));
}

// A cut waits for the rehearsal, and says so once, but no longer than
// MaxCutWait from when the window can draw (a window never shown waits for
// that): then the window takes the steps left itself, at once, whatever
// holds up the rest.
bool GLWidget::laterScenesReady()
{
    if (rehearsal.done())
        return true;
    if (!saidWaiting) {
        DebugLog::text("The later scenes are not ready: the cut waits for them");
        saidWaiting = true;
    }
    if (!isValid())
        return false;
    if (!cutWait.isValid())
        cutWait.start();
    if (cutWait.elapsed() < MaxCutWait)
        return false;
    makeCurrent();
    rehearsal.finishNow();
    return true;
}

qint64 GLWidget::cutLead() const
{
    return Timeline::cutLead(frameDuration, SceneDirector::FrameInterval, director.inLastScene());
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
                   MultisampleTarget::Samples, SceneDirector::Smoothing::CubeScenes);
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
// step of the rehearsal comes after each frame, in the time before the next.
void GLWidget::frameShown()
{
    frameDuration += (frameTime.elapsed() - frameDuration) / FrameDurationSmoothing;
    if (!rehearsalHeld && !rehearsal.done())
        QTimer::singleShot(0, this, &GLWidget::rehearseBetweenFrames);
}

void GLWidget::holdRehearsal()
{
    rehearsalHeld = true;
}

// The rehearsal goes on from the next frame shown.
void GLWidget::releaseRehearsal()
{
    rehearsalHeld = false;
}

void GLWidget::rehearseBetweenFrames()
{
    if (rehearsal.done())
        return;
    makeCurrent();
    if (rehearsal.started())
        rehearsal.stepBetweenFrames();
    else
        rehearsal.start();
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
