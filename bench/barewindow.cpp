// The floor under the demo's start-up. A window of the demo's format that
// does nothing but clear and swap, shown full-screen as the demo's is, a
// frame every 30 ms, until Escape: its first frame and when its frames come
// steadily are what the machine gives any window. Given "first-scene", it
// draws the demo's first scene as the demo does, and of the later ones makes
// only its first multisampled resolve, once, soon after the first frame:
// what llvmpipe itself takes for that drawing and that resolve in the first
// seconds (a context's first resolve compiles its shaders, and no other
// context can do that for it). scripts/bench launches both beside the demo,
// with the first-frame shim preloaded.

#include "multisampletarget.h"
#include "scenedirector.h"
#include "wallclock.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QOpenGLWindow>

#include <memory>

namespace {
// The demo's first resolve comes some ten frames after its first frame.
const int ResolveFrame = 10;
const QRect ResolvedCorner(0, 0, 64, 64);

class BareWindow : public QOpenGLWindow
{
public:
    explicit BareWindow(bool firstScene)
        : QOpenGLWindow(NoPartialUpdate)
    {
        if (firstScene)
            director = std::make_unique<SceneDirector>(this, &clock);
        setFormat(SceneDirector::surfaceFormat());
        startTimer(SceneDirector::FrameInterval, Qt::PreciseTimer);
    }

protected:
    void initializeGL() override
    {
        if (!director)
            return;
        const QSize pixels = size() * devicePixelRatio();
        director->start(defaultFramebufferObject(), pixels, MultisampleTarget::Samples,
                        SceneDirector::Smoothing::CubeScenes);
        target.create(defaultFramebufferObject(), pixels, MultisampleTarget::Samples);
    }
    void paintGL() override
    {
        if (!director) {
            glClear(GL_COLOR_BUFFER_BIT);
            return;
        }
        if (++frames == ResolveFrame) {
            target.resolve(ResolvedCorner);
            glFinish();
        }
        director->step();
        director->paint();
    }
    void timerEvent(QTimerEvent *) override { update(); }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape)
            close();
    }

private:
    WallClock clock;
    std::unique_ptr<SceneDirector> director;
    MultisampleTarget target;
    int frames = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    BareWindow window(app.arguments().contains("first-scene"));
    window.setTitle("Plok bare window");
    window.showFullScreen();
    return app.exec();
}
