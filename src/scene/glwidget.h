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

private slots:
    void changeScene();

private:
    friend struct TestAccess;

    void followTimeline();
    void writeFps();
    void toggleFullScreen();

    WallClock wallClock;
    SceneDirector director;
    QTimer sceneTimer;
    int frameTimer = 0;
    int fpsTimer = 0;
    unsigned int frames = 0;
};

#endif // GLWIDGET_H
