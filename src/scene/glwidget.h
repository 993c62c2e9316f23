#ifndef GLWIDGET_H
#define GLWIDGET_H

#include "scenedirector.h"
#include "wallclock.h"

#include <QGLWidget>
#include <QTimer>

// The demo's one window: shows the scenes full-screen or in a window, paces
// the frames, reports the frame rate and answers the keys. The timeline
// follows the clock it is given, or the wall clock from construction.
class GLWidget : public QGLWidget
{
    Q_OBJECT

public:
    explicit GLWidget(QWidget *parent = nullptr);
    explicit GLWidget(const Clock *clock, QWidget *parent = nullptr);
    ~GLWidget() override;

protected:
    void timerEvent(QTimerEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void glDraw() override;

private slots:
    void changeScene();

private:
    friend struct TestAccess;

    void followTimeline();
    qint64 cutLead() const;
    void writeFps();
    void toggleFullScreen();

    WallClock wallClock;
    SceneDirector director;
    QTimer sceneTimer;
    int frameTimer = 0;
    int fpsTimer = 0;
    unsigned int frames = 0;
    // How long a frame takes to reach the screen, in ms: a running mean.
    qint64 frameDuration = 0;
};

#endif // GLWIDGET_H
