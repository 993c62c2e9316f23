#ifndef TESTACCESS_H
#define TESTACCESS_H

#include "cube.h"
#include "glwidget.h"
#include "object.h"
#include "plasma.h"

#include <QImage>
#include <QThread>
#include <QVector3D>

#include <functional>

// Views of the scene classes' private state for the tests, and the single
// draws of a scene for the tests and the frame-cost benchmark.
struct TestAccess
{
    static const QVector<QColor> &palette(const Plasma &plasma) { return plasma.palette; }
    static const QImage &plasmaMap(const Plasma &plasma) { return *plasma.plasmaMap; }
    static int timerId(const Plasma &plasma) { return plasma.timerId; }

    static QVector3D position(const Object &object) { return { object.x, object.y, object.z }; }
    static float angle(const Object &object) { return object.angle; }
    static QVector3D axis(const Object &object)
    {
        return { object.axisX, object.axisY, object.axisZ };
    }
    static QSize aspectRatio(const Object &object) { return object.aspectRatio; }
    static bool lighting(const Object &object) { return object.lighting; }
    static bool textureUsage(const Object &object) { return object.textureUsage; }
    static bool dynamicTextureUsage(const Object &object) { return object.dynamicTextureUsage; }
    static GLuint textureId(const Object &object) { return object.textureId; }
    static Plasma *dynamicTexture(const Object &object) { return object.dynamicTexture; }

    static int scene(const GLWidget &widget) { return widget.director.timeline.scene(); }
    static int frameTimer(const GLWidget &widget) { return widget.frameTimer; }
    static int fpsTimer(const GLWidget &widget) { return widget.fpsTimer; }
    static unsigned int frames(const GLWidget &widget) { return widget.frames; }
    static void setFrames(GLWidget &widget, unsigned int frames) { widget.frames = frames; }
    static GLuint plasmaTexture(const GLWidget &widget)
    {
        return widget.director.scenery.plasmaTexture.name();
    }
    static GLuint texture(const GLWidget &widget, int i)
    {
        return widget.director.scenery.pictures.texture(i);
    }
    static Plasma *plasma(const GLWidget &widget) { return widget.director.scenery.plasma; }
    static MultisampleTarget &target(GLWidget &widget) { return widget.director.frameTarget; }
    static MultisampleTarget &target(SceneDirector &director) { return director.frameTarget; }
    static int scene(const SceneDirector &director) { return director.timeline.scene(); }
    static QOpenGLFramebufferObject *framebuffer(MultisampleTarget &target)
    {
        return target.framebuffer.get();
    }
    static Cube *cube(const GLWidget &widget, int i) { return widget.director.scenery.cubes[i]; }
    static Object *dialog(const GLWidget &widget) { return widget.director.scenery.dialog; }
    static bool laterScenesPrepared(const GLWidget &widget) { return widget.rehearsal.done(); }
    static bool rehearsalStarted(const GLWidget &widget) { return widget.rehearsal.started(); }
    static bool rehearsalOnThread(const GLWidget &widget) { return widget.rehearsal.threaded; }
    static bool rehearsalThreadRuns(const GLWidget &widget)
    {
        return widget.rehearsal.thread && widget.rehearsal.thread->isRunning();
    }
    // The rehearsal's thread replaced by one that runs `work` instead, before
    // the window's first frame.
    static void rehearseOnThread(GLWidget &widget, std::function<void()> work)
    {
        widget.rehearsal.thread.reset(QThread::create(std::move(work)));
    }
    // The GL callbacks, for a frame or a resize drawn on demand; the caller
    // makes the widget's context current.
    static void paintGL(GLWidget &widget) { widget.paintGL(); }
    static void resizeGL(GLWidget &widget, int width, int height)
    {
        widget.resizeGL(width, height);
    }

    static void paintPlasma(Scenes &scenes) { scenes.paintPlasma(); }
    static void paintOneCube(Scenes &scenes) { scenes.paintOneCube(); }
    static void paintLitCubes(Scenes &scenes) { scenes.paintLitCubes(); }
    static void paintTexturedCubes(Scenes &scenes) { scenes.paintTexturedCubes(); }
};

#endif // TESTACCESS_H
