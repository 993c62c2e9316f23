// The floor under the demo's start-up: a window of the demo's format that
// does nothing but clear and swap, shown full-screen as the demo's is, a
// frame every 30 ms, until Escape. scripts/bench launches it beside the demo
// with the first-frame shim preloaded: its first frame and when its frames
// come steadily are what the machine gives any window.

#include "scenedirector.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QOpenGLWindow>

namespace {

class BareWindow : public QOpenGLWindow
{
public:
    BareWindow()
        : QOpenGLWindow(NoPartialUpdate)
    {
        setFormat(SceneDirector::surfaceFormat());
        startTimer(SceneDirector::FrameInterval, Qt::PreciseTimer);
    }

protected:
    void paintGL() override { glClear(GL_COLOR_BUFFER_BIT); }
    void timerEvent(QTimerEvent *) override { update(); }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape)
            close();
    }
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    BareWindow window;
    window.setTitle("Plok bare window");
    window.showFullScreen();
    return app.exec();
}
