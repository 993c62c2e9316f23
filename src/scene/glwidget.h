#ifndef GLWIDGET_H
#define GLWIDGET_H

#include "scenedirector.h"
#include "scenerehearsal.h"
#include "wallclock.h"

#include <QElapsedTimer>
#include <QOpenGLWindow>
#include <QTimer>

// The demo's one window: shows the scenes full-screen or in a window, paces
// the frames, reports the frame rate and answers the keys. The timeline
// follows the clock it is given, or without one the wall clock from
// construction. The scenes are resolved, or drawn, into the window's back
// buffer.
class GLWidget : public QOpenGLWindow
{
    Q_OBJECT

public:
    explicit GLWidget(QWindow *parent = nullptr);
    explicit GLWidget(const Clock *clock, QWindow *parent = nullptr);
    ~GLWidget() override;

    bool isFullScreen() const;
    // The later scenes are rehearsed from the first frame shown on, unless
    // held until released: the rehearsal may start a thread, which should not
    // run beside whatever the host does meanwhile.
    void holdRehearsal();
    void releaseRehearsal();

protected:
    void timerEvent(QTimerEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

private slots:
    void changeScene();

private:
    friend struct TestAccess;

    void followTimeline();
    bool laterScenesReady();
    qint64 cutLead() const;
    void writeFps();
    void toggleFullScreen();
    QSize pixelSize(int width, int height) const;
    void frameShown();
    void rehearseBetweenFrames();

    WallClock wallClock;
    SceneDirector director;
    SceneRehearsal rehearsal;
    QTimer sceneTimer;
    int frameTimer = 0;
    int fpsTimer = 0;
    unsigned int frames = 0;
    // How long a frame takes to reach the screen, in ms: a running mean.
    qint64 frameDuration = 0;
    // The desktop's scale at the last resize.
    qreal pixelRatio = 0;
    // How long a due cut has waited for the rehearsal, while the window can
    // draw.
    QElapsedTimer cutWait;
    // A cut has waited for the rehearsal, and the log says so.
    bool saidWaiting = false;
    bool rehearsalHeld = false;
    QElapsedTimer frameTime;
};

#endif // GLWIDGET_H
