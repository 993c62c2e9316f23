#ifndef TESTACCESS_H
#define TESTACCESS_H

#include "cube.h"
#include "glwidget.h"
#include "object.h"
#include "plasma.h"

#include <QImage>
#include <QVector3D>

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

    static int scene(const GLWidget &widget) { return widget.director.scene; }
    static SceneDirector &director(GLWidget &widget) { return widget.director; }
    static int frameTimer(const GLWidget &widget) { return widget.frameTimer; }
    static int fpsTimer(const GLWidget &widget) { return widget.fpsTimer; }
    static unsigned int frames(const GLWidget &widget) { return widget.frames; }
    static void setFrames(GLWidget &widget, unsigned int frames) { widget.frames = frames; }
    static GLuint plasmaTexture(const GLWidget &widget) { return widget.director.plasmaTexture; }
    static GLuint texture(const GLWidget &widget, int i)
    {
        return widget.director.pictures.texture(i);
    }
    static Plasma *plasma(const GLWidget &widget) { return widget.director.plasma; }
    static MultisampleTarget &target(GLWidget &widget) { return widget.director.target; }
    static MultisampleTarget &target(SceneDirector &director) { return director.target; }
    static QOpenGLFramebufferObject *framebuffer(MultisampleTarget &target)
    {
        return target.framebuffer.get();
    }
    static Cube *cube(const GLWidget &widget, int i) { return widget.director.cubes[i]; }
    static Object *dialog(const GLWidget &widget) { return widget.director.dialog; }
    static bool laterScenesPrepared(const GLWidget &widget)
    {
        return widget.director.laterScenesPrepared();
    }
    static bool preparationStarted(const GLWidget &widget)
    {
        return int(widget.director.nextPart) > int(SceneDirector::Part::Rehearsal);
    }
    // The GL callbacks, for a frame or a resize drawn on demand; the caller
    // makes the widget's context current.
    static void paintGL(GLWidget &widget) { widget.paintGL(); }
    static void resizeGL(GLWidget &widget, int width, int height)
    {
        widget.resizeGL(width, height);
    }

    static int scene(const SceneDirector &director) { return director.scene; }
    static void clearBuffers() { SceneDirector::clearBuffers(); }
    static void paintPlasma(SceneDirector &director) { director.paintPlasma(); }
    static void paintOneCube(SceneDirector &director) { director.paintOneCube(); }
    static void paintLitCubes(SceneDirector &director) { director.paintLitCubes(); }
    static void paintTexturedCubes(SceneDirector &director) { director.paintTexturedCubes(); }
};

#endif // TESTACCESS_H
