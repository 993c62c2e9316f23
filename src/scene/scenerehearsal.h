#ifndef SCENEREHEARSAL_H
#define SCENEREHEARSAL_H

#include "picturetextures.h"

#include <QByteArray>
#include <QOffscreenSurface>
#include <QThread>

#include <memory>

class MultisampleTarget;
class Scenes;

// The later scenes drawn unseen before their cuts, so that no cut waits for
// the driver. A driver makes what draws each mix of lighting, texturing,
// colour material and blending the first time a context draws it, and the
// first resolve of the samples the same way; a renderer that compiles on
// the CPU takes longer for each than a frame lasts. So the
// pictures of the later scenes are uploaded, the frames' target cleared,
// each later scene drawn twice into a corner of it and a corner resolved,
// in steps short enough to fit between two of the window's frames. Where
// the renderer compiles on the CPU, the same is first done on a thread and
// a GL context of its own, while the window shows its first scene: it
// compiles into the driver's shader cache, and the window's steps find most
// of it there.
class SceneRehearsal
{
public:
    // Where the thread runs: where the renderer compiles on the CPU and the
    // toolkit can draw from a thread, unless the setting ("on" or "off")
    // says otherwise.
    static bool onThread(const QByteArray &renderer, bool threadedGL, const QByteArray &setting);

    // The window's scenes and the target they draw into.
    SceneRehearsal(Scenes &scenes, MultisampleTarget &target);
    ~SceneRehearsal();

    // With the window's context current, once its first frame is shown:
    // starts the thread where it helps.
    void start();
    bool started() const;
    // With the window's context current, between frames: the next step on
    // it, once the thread has ended.
    void stepBetweenFrames();
    // With the window's context current: every step left, at once, whatever
    // the thread is doing.
    void finishNow();
    bool done() const;

private:
    friend struct TestAccess;

    enum class Step { Pictures, Target, SceneOne, Resolve, SceneTwo, SceneThree, Done };

    static Step after(Step step);
    static void take(Step step, Scenes &scenes, MultisampleTarget &target);
    static void drawUnseen(int scene, Scenes &scenes, MultisampleTarget &target);
    static void paintFirstScene(Scenes &scenes, MultisampleTarget &target);
    void rehearseOnThread();
    bool rehearse();
    void endThread();

    Scenes &scenes;
    MultisampleTarget &target;
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QThread> thread;
    // Hears on the GUI thread that the thread has ended.
    QObject listener;
    // What the thread draws with: the window's pictures as decoded, and its
    // samples.
    QVector<PictureTextures::Levels> pictures;
    int samples = 0;
    bool begun = false;
    bool threaded = false;
    Step next = Step::Pictures;
};

#endif // SCENEREHEARSAL_H
