#ifndef SCENEDIRECTOR_H
#define SCENEDIRECTOR_H

#include "multisampletarget.h"
#include "picturetextures.h"

#include <QSize>
#include <QSurfaceFormat>
#include <qopengl.h>

#include <memory>

class Clock;
class Cube;
class Object;
class Plasma;
class QObject;
class SceneRehearsal;

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
    ~SceneDirector();

    // When the later scenes are prepared: all at the start, or in parts
    // between the frames from the first on (see prepareNextPart).
    enum class Preparation { AtStart, InParts };
    // Which scenes draw with samples. A window draws the plasma's scene
    // straight into its output and pays no resolve: its quad covers whole
    // pixels, and only the first caption's soft glow loses a level here and
    // there. A capture, which has the time, smooths that scene too.
    enum class Smoothing { CubeScenes, EveryScene };

    // The GL format of the window the scenes are shown in: double-buffered
    // RGB. The scenes bring their own samples, depth and stencil.
    static QSurfaceFormat surfaceFormat();
    // The timeline's length in milliseconds: the last scene ends there.
    static qint64 length();

    // With the GL context current, before the first frame: the plasma, the
    // first caption, the GL state that every frame relies on and the frames'
    // target of `size` pixels with `samples` a pixel, resolved into the
    // framebuffer `output` (a framebuffer object, or the context's default).
    void start(GLuint output, QSize size, int samples, Smoothing smoothing,
               Preparation preparation);
    // With the GL context current, once the first frame is shown and then
    // between frames until the later scenes are prepared: the next part of
    // their preparation, each short enough to fit between two frames. The
    // pictures are uploaded, and every later scene drawn unseen, so that the
    // driver is ready for it at the cuts, which wait for it. The first part
    // starts a rehearsal of it all on a thread of its own (see
    // SceneRehearsal); the parts after it wait for it to end, and then find
    // most of what the driver makes ready.
    void prepareNextPart();
    void resizeGL(int width, int height);

    // True when the clock is within `lead` ms of the end of the current scene
    // and the later scenes are prepared.
    bool changeDue(qint64 lead = 0) const;
    // True when the clock is within `lead` ms of that end but the change
    // waits for the later scenes to be prepared.
    bool changeWaits(qint64 lead = 0) const;
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

    // The parts of the preparation, in order; it starts with the scenes.
    enum class Part {
        NotStarted,
        Rehearsal,
        Pictures,
        Target,
        SceneOne,
        Resolve,
        SceneTwo,
        SceneThree,
        Done
    };

    void setPerspective(int width, int height);
    void setUpCaption();
    bool rehearsing() const;
    void warmUpTarget();
    void warmUpScene(int shown);
    void warmUpResolve();

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
    std::unique_ptr<SceneRehearsal> rehearsal;
    Part nextPart = Part::NotStarted;
    Smoothing smoothing = Smoothing::CubeScenes;
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
