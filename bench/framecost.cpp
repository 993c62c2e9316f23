// Where a frame of each scene goes: the demo's window format, full-screen,
// draws one step after another as fast as it can, and the CPU time of the
// whole process (llvmpipe's rasteriser threads included) is divided by the
// frames drawn. Each scene is built up draw by draw from what the window
// costs with nothing drawn, so that each line less the one before is the
// cost of one draw. The last step, when everything is warm, is the bare
// frame: the buffers cleared and swapped, nothing drawn.
//
// Each scene's steps are run three times over and each figure is the median
// of its three: a shared machine's neighbours come and go within a run. Prints one
// line per step, tab-separated: the step's name, CPU ms and wall ms per
// frame, the scene, then what it draws. Run it where the demo runs, on the
// same screen, with nothing else busy.

#include "clock.h"
#include "scenedirector.h"
#include "testaccess.h"

#include <QGuiApplication>
#include <QOpenGLWindow>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
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

void clear(SceneDirector &)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// A cube scene's clear and its objects without the caption.
std::function<void(SceneDirector &)> clearAnd(void (*objects)(SceneDirector &))
{
    return [objects](SceneDirector &director) {
        clear(director);
        glLoadIdentity();
        objects(director);
    };
}

const std::vector<Step> Steps = {
    { "swap", 0, "swap alone, nothing drawn", [](SceneDirector &) {} },
    { "plasma", 0, "+ plasma: upload and full-window quad",
      [](SceneDirector &d) {
          glLoadIdentity();
          TestAccess::paintPlasma(d);
      } },
    { "scene0", 0, "+ caption over it: the frame as shown", [](SceneDirector &d) { d.paint(); } },
    { "clear1", 1, "clear colour and depth, swap", clear },
    { "cube", 1, "+ one flat-coloured cube", clearAnd(TestAccess::paintOneCube) },
    { "scene1", 1, "+ caption: the frame as shown", [](SceneDirector &d) { d.paint(); } },
    { "clear2", 2, "clear colour and depth, swap", clear },
    { "litcubes", 2, "+ three lit cubes", clearAnd(TestAccess::paintLitCubes) },
    { "scene2", 2, "+ caption: the frame as shown", [](SceneDirector &d) { d.paint(); } },
    { "clear3", 3, "clear colour and depth, swap", clear },
    { "texcubes", 3, "+ four plasma-textured cubes, one upload",
      clearAnd(TestAccess::paintTexturedCubes) },
    { "scene3", 3, "+ credits: the frame as shown", [](SceneDirector &d) { d.paint(); } },
    { "bare", 3, "the bare frame: clear colour and depth, swap", clear },
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

// The order the steps are run in: each scene's steps, in a row, Rounds times
// over, the scenes in the timeline's order.
std::vector<std::size_t> runOrder()
{
    std::vector<std::size_t> order;
    std::size_t first = 0;
    while (first < Steps.size()) {
        std::size_t end = first;
        while (end < Steps.size() && Steps[end].scene == Steps[first].scene)
            ++end;
        for (int round = 0; round < Rounds; ++round) {
            for (std::size_t i = first; i < end; ++i)
                order.push_back(i);
        }
        first = end;
    }
    return order;
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
        , director(this, &clock)
    {
        setFormat(SceneDirector::surfaceFormat());
        connect(this, &QOpenGLWindow::frameSwapped, this, &FrameCostWindow::nextFrame);
    }

protected:
    void initializeGL() override { director.initializeGL(size() * devicePixelRatio()); }

    void resizeGL(int width, int height) override
    {
        const qreal ratio = devicePixelRatio();
        director.resizeGL(qRound(width * ratio), qRound(height * ratio));
    }

    void paintGL() override
    {
        if (frame == SettlingFrames) {
            cpuStart = milliseconds(CLOCK_PROCESS_CPUTIME_ID);
            wallStart = milliseconds(CLOCK_MONOTONIC);
        }
        if (run < order.size()) {
            director.step();
            Steps[order[run]].paint(director);
        }
    }

private:
    void nextFrame()
    {
        if (!director.laterScenesPrepared()) {
            makeCurrent();
            director.prepareLaterScenes();
        } else if (++frame == SettlingFrames + CountedFrames) {
            note();
            nextStep();
        }
        if (run < order.size()) {
            update();
        } else {
            report();
            QGuiApplication::quit();
        }
    }

    void note()
    {
        Cost &cost = costs[order[run]];
        cost.cpu.push_back((milliseconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) / CountedFrames);
        cost.wall.push_back((milliseconds(CLOCK_MONOTONIC) - wallStart) / CountedFrames);
    }

    void nextStep()
    {
        frame = 0;
        if (++run == order.size())
            return;
        makeCurrent();
        while (TestAccess::scene(director) < Steps[order[run]].scene)
            director.changeScene();
    }

    void report()
    {
        GLint samples = 0;
        makeCurrent();
        glGetIntegerv(GL_SAMPLES, &samples);
        std::printf("# %dx%d pixels, %d samples\n", width(), height(), samples);
        for (std::size_t i = 0; i < Steps.size(); ++i)
            std::printf("%s\t%.1f\t%.1f\t%d\t%s\n", Steps[i].name, median(costs[i].cpu),
                        median(costs[i].wall), Steps[i].scene, Steps[i].draws);
    }

    StillClock clock;
    SceneDirector director;
    const std::vector<std::size_t> order = runOrder();
    std::vector<Cost> costs = std::vector<Cost>(Steps.size());
    std::size_t run = 0;
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
