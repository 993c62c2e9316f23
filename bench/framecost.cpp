// Where a frame of each scene goes: the demo's window format, full-screen,
// draws one step after another as fast as it can, and the CPU time of the
// whole process (llvmpipe's rasteriser threads included) is divided by the
// frames drawn. Each scene is built up draw by draw from what the window
// costs with nothing drawn, so that each line less the one before is the
// cost of one draw. The plasma draws straight into the window, which has no
// samples; the cube scenes start from the bare frame: the buffers with
// samples cleared as the scenes clear them, resolved into the window, and
// swapped.
//
// The whole timeline is run three times over, each time with new scenes, and
// each figure is the median of its three: a shared machine's neighbours come
// and go within a run. The bare frame's figure is the median of all its
// measurements. Prints one line per step, tab-separated: the step's name, CPU
// ms and wall ms per frame, the scene, then what it draws. Run it where the
// demo runs, on the same screen, with nothing else busy.

#include "clock.h"
#include "scenedirector.h"
#include "scenerehearsal.h"
#include "testaccess.h"

#include <QGuiApplication>
#include <QOpenGLWindow>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Frames drawn before the count starts, so that shaders are made and the
// caches warm; then the frames counted.
const int SettlingFrames = 15;
const int CountedFrames = 90;
const int Rounds = 3;

// The timeline stands at its start: the scenes are entered by hand.
struct StillClock : Clock
{
    qint64 elapsed() const override { return 0; }
};

struct Step
{
    const char *name;
    int scene;
    const char *draws;
    std::function<void(SceneDirector &)> paint;
};

const char *const BareFrame = "bare";

void nothing(SceneDirector &) { }
void noObjects(Scenes &) { }

// A cube scene's clear and its objects without the caption, drawn with
// samples and resolved.
std::function<void(SceneDirector &)> clearAnd(void (*objects)(Scenes &))
{
    return [objects](SceneDirector &director) {
        TestAccess::target(director).bind();
        Scenes::clearBuffers();
        glLoadIdentity();
        objects(director.scenes());
        TestAccess::target(director).resolve();
    };
}

void paintScene(SceneDirector &director)
{
    director.paint();
}

const std::vector<Step> Steps = {
    { "swap", 0, "swap alone, nothing drawn", nothing },
    { "plasma", 0, "+ plasma: upload and full-window quad",
      [](SceneDirector &d) {
          TestAccess::target(d).bindOutput();
          glLoadIdentity();
          TestAccess::paintPlasma(d.scenes());
      } },
    { "scene0", 0, "+ caption over it: the frame as shown", paintScene },
    { BareFrame, 1, "the bare frame: clear, resolve, swap", clearAnd(noObjects) },
    { "cube", 1, "+ one flat-coloured cube", clearAnd(TestAccess::paintOneCube) },
    { "scene1", 1, "+ caption: the frame as shown", paintScene },
    { BareFrame, 2, "the bare frame: clear, resolve, swap", clearAnd(noObjects) },
    { "litcubes", 2, "+ three lit cubes", clearAnd(TestAccess::paintLitCubes) },
    { "scene2", 2, "+ caption: the frame as shown", paintScene },
    { BareFrame, 3, "the bare frame: clear, resolve, swap", clearAnd(noObjects) },
    { "texcubes", 3, "+ four plasma-textured cubes, one upload",
      clearAnd(TestAccess::paintTexturedCubes) },
    { "scene3", 3, "+ credits: the frame as shown", paintScene },
};

struct Cost
{
    std::vector<double> cpu, wall;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double milliseconds(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

class FrameCostWindow : public QOpenGLWindow
{
public:
    FrameCostWindow()
        : QOpenGLWindow(NoPartialUpdate)
    {
        setFormat(SceneDirector::surfaceFormat());
        connect(this, &QOpenGLWindow::frameSwapped, this, &FrameCostWindow::nextFrame);
    }

protected:
    void initializeGL() override { newScenes(); }

    void resizeGL(int width, int height) override
    {
        director->resizeGL(qRound(width * devicePixelRatio()), qRound(height * devicePixelRatio()));
    }

    void paintGL() override
    {
        if (frame == SettlingFrames) {
            cpuStart = milliseconds(CLOCK_PROCESS_CPUTIME_ID);
            wallStart = milliseconds(CLOCK_MONOTONIC);
        }
        director->step();
        Steps[step].paint(*director);
    }

private:
    // The scenes of a round, made as the demo's window makes them; the
    // round before goes with its owner.
    void newScenes()
    {
        owner = std::make_unique<QObject>();
        director = std::make_unique<SceneDirector>(owner.get(), &clock);
        director->start(defaultFramebufferObject(), size() * devicePixelRatio(),
                        MultisampleTarget::Samples, SceneDirector::Smoothing::CubeScenes);
        SceneRehearsal(director->scenes(), director->target()).finishNow();
    }

    void nextFrame()
    {
        if (++frame == SettlingFrames + CountedFrames) {
            note();
            nextStep();
        }
        if (round < Rounds) {
            update();
        } else {
            report();
            QGuiApplication::quit();
        }
    }

    void note()
    {
        costs[step].cpu.push_back((milliseconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) /
                                  CountedFrames);
        costs[step].wall.push_back((milliseconds(CLOCK_MONOTONIC) - wallStart) / CountedFrames);
    }

    void nextStep()
    {
        frame = 0;
        makeCurrent();
        if (++step == Steps.size()) {
            step = 0;
            if (++round < Rounds)
                newScenes();
            return;
        }
        while (TestAccess::scene(*director) < Steps[step].scene)
            director->changeScene();
    }

    void report()
    {
        GLint windowSamples = 0;
        makeCurrent();
        glGetIntegerv(GL_SAMPLES, &windowSamples);
        std::printf("# %dx%d pixels, the window with %d samples, the cube scenes with %d\n",
                    width(), height(), windowSamples, TestAccess::target(*director).samples());
        Cost bare;
        for (std::size_t i = 0; i < Steps.size(); ++i) {
            std::printf("%s\t%.1f\t%.1f\t%d\t%s\n", Steps[i].name, median(costs[i].cpu),
                        median(costs[i].wall), Steps[i].scene, Steps[i].draws);
            if (Steps[i].name == BareFrame) {
                bare.cpu.insert(bare.cpu.end(), costs[i].cpu.begin(), costs[i].cpu.end());
                bare.wall.insert(bare.wall.end(), costs[i].wall.begin(), costs[i].wall.end());
            }
        }
        std::printf("%s\t%.1f\t%.1f\tall\tthe bare frame, all its measurements\n", BareFrame,
                    median(bare.cpu), median(bare.wall));
    }

    StillClock clock;
    std::unique_ptr<QObject> owner;
    std::unique_ptr<SceneDirector> director;
    std::vector<Cost> costs = std::vector<Cost>(Steps.size());
    int round = 0;
    std::size_t step = 0;
    int frame = 0;
    double cpuStart = 0;
    double wallStart = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    FrameCostWindow window;
    window.showFullScreen();
    return app.exec();
}
