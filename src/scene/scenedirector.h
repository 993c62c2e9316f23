#ifndef SCENEDIRECTOR_H
#define SCENEDIRECTOR_H

#include "multisampletarget.h"
#include "scenes.h"
#include "timeline.h"

#include <QSize>
#include <QSurfaceFormat>
#include <qopengl.h>

class Clock;
class QObject;

// Runs the scenes on their timeline: moves on to each scene when its cut is
// due, animates and draws the current one a frame at a time, into the
// framebuffer with samples where its edges are smoothed and straight into
// the output where not. It keeps no window and no timers: whoever shows the
// scenes decides when a frame is drawn and asks when a cut is due.
class SceneDirector
{
public:
    // The animation moves a step per frame, at a frame every 30 ms.
    static constexpr int FrameInterval = 30;
    // The music the timeline is cut to.
    static constexpr const char *SoundtrackPath = ":music.wav";

    // Which scenes draw with samples. A window draws the plasma's scene
    // straight into its output and pays no resolve: its quad covers whole
    // pixels, and only the first caption's soft glow loses a level here and
    // there. A capture, which has the time, smooths that scene too.
    enum class Smoothing { CubeScenes, EveryScene };

    SceneDirector(QObject *owner, const Clock *clock);

    // The GL format of the window the scenes are shown in: double-buffered
    // RGB. The scenes bring their own samples, depth and stencil.
    static QSurfaceFormat surfaceFormat();
    static qint64 length();

    // With the GL context current, before the first frame: the first scene
    // and the frames' target of `size` pixels with `samples` a pixel,
    // resolved into the framebuffer `output` (a framebuffer object, or the
    // context's default). The later scenes need their pictures before their
    // cuts: see Scenes::uploadLaterPictures, or SceneRehearsal.
    void start(GLuint output, QSize size, int samples, Smoothing smoothing);
    void resizeGL(int width, int height);

    bool changeDue(qint64 lead = 0) const;
    qint64 msecsToChange(qint64 lead = 0) const;
    // Moves on to the next scene; false when the timeline has ended. Issues
    // GL calls: the context must be current.
    bool changeScene();
    bool finished() const;
    // In the last scene, whose end shows no new picture: the demo ends.
    bool inLastScene() const;

    // One frame's animation, then its drawing.
    void step();
    void paint();
    // The plasma's colours at the clock's time rather than the wall clock's:
    // for a stepped clock, so that every run shows the same colours.
    void renderPlasmaAtClock();

    Scenes &scenes();
    MultisampleTarget &target();

private:
    friend struct TestAccess;

    const Clock *clock;
    Timeline timeline;
    Scenes scenery;
    MultisampleTarget frameTarget;
    Smoothing smoothing = Smoothing::CubeScenes;
};

#endif // SCENEDIRECTOR_H
