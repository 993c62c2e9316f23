#ifndef SCENEDIRECTOR_H
#define SCENEDIRECTOR_H

#include "multisampletarget.h"
#include "picturetextures.h"

#include <QSize>
#include <QSurfaceFormat>
#include <qopengl.h>

class Clock;
class Cube;
class Object;
class Plasma;
class QObject;

// The demo's timeline and its four scenes: places the objects and the light
// scene by scene, animates them a step per frame and draws each frame. The
// scene elements are children of the owner given at construction. It keeps
// no window and no timers: whoever shows the scenes decides when a frame is
// drawn and asks when the clock has reached the next change.
class SceneDirector
{
public:
    // The animation moves a step per frame, at a frame every 30 ms.
    static constexpr int FrameInterval = 30;
    // The music the timeline is cut to.
    static constexpr const char *SoundtrackPath = ":music.wav";

    SceneDirector(QObject *owner, const Clock *clock);

    // When the later scenes are prepared: at the start, or once the first
    // frame is shown (see prepareLaterScenes).
    enum class Preparation { AtStart, AfterFirstFrame };

    // The GL format of the window the scenes are shown in: double-buffered
    // RGB. The scenes bring their own samples, depth and stencil.
    static QSurfaceFormat surfaceFormat();
    // The timeline's length in milliseconds: the last scene ends there.
    static qint64 length();

    // With the GL context current, before the first frame: the plasma, the
    // first caption, the GL state that every frame relies on and the frames'
    // target of `size` pixels with `samples` a pixel, resolved into the
    // framebuffer `output` (a framebuffer object, or the context's default).
    void start(GLuint output, QSize size, int samples, Preparation preparation);
    // With the GL context current: the pictures of the later scenes, and
    // every scene drawn unseen, so that the driver is ready for it at the
    // cuts. The timeline waits for it.
    void prepareLaterScenes();
    void resizeGL(int width, int height);

    // True when the clock is within `lead` ms of the end of the current scene.
    bool changeDue(qint64 lead = 0) const;
    // Milliseconds until the clock is within `lead` ms of that end.
    qint64 msecsToChange(qint64 lead = 0) const;
    // Moves on to the next scene; false when the timeline has ended. Issues
    // GL calls: the context must be current.
    bool changeScene();
    bool finished() const;
    bool laterScenesPrepared() const;
    // In the last scene, whose end shows no new picture: the demo ends.
    bool inLastScene() const;

    // One frame's animation: the cubes turn, the credits rise.
    void step();
    void paint();

    // Renders the plasma's colour cycle at the clock's time, from a fixed
    // start, instead of leaving it to the plasma's own timer and the wall
    // clock: for a stepped clock, so that every run shows the same colours.
    void renderPlasmaAtClock();

private:
    friend struct TestAccess;

    void setPerspective(int width, int height);
    void setUpCaption();
    void warmUp();

    void enterSceneOne();
    void enterSceneTwo();
    void enterSceneThree();
    void setLight(const GLfloat ambient[4], const GLfloat diffuse[4], const GLfloat position[4]);
    void setCubesLit(bool lit);
    void moveLight(const GLfloat position[4]);

    void paintScene(int shown);
    void paintSceneWithEdges(int shown);
    static void clearBuffers();
    void paintPlasmaScene();
    void paintPlasma();
    PictureTextures::Mipmaps plasmaQuadMipmaps();
    GLuint makePlasmaTexture(PictureTextures::Mipmaps mipmaps) const;
    void uploadPlasma(PictureTextures::Mipmaps mipmaps) const;
    void paintOneCube();
    void paintLitCubes();
    void paintTexturedCubes();
    void paintCaption();

    QObject *owner;
    const Clock *clock;
    PictureTextures pictures;
    MultisampleTarget target;
    bool prepared = false;
    int scene = 0;
    bool ended = false;
    GLuint plasmaTexture = 0;
    GLfloat lightAmbient[4] = {};
    GLfloat lightDiffuse[4] = {};
    GLfloat lightPosition[4] = {};
    Plasma *plasma = nullptr;
    Cube *cubes[4] = {};
    Object *dialog = nullptr;
};

#endif // SCENEDIRECTOR_H
