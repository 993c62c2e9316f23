#ifndef SCENEREHEARSAL_H
#define SCENEREHEARSAL_H

#include <QOffscreenSurface>
#include <QThread>

class QSurfaceFormat;

// The later scenes drawn unseen, on a thread and a GL context of their own,
// while the window shows its first scene. A driver compiles what draws each
// mix of lighting, texturing and blending the first time a context draws
// it; llvmpipe takes 30 to 130 ms for each with an empty shader cache. Here
// it compiles into Mesa's shader cache, and the window's context, drawing
// the same between its frames, finds most of it there in a few ms. Made on
// the GUI thread; the context and all that it holds go when it is done.
class SceneRehearsal : public QThread
{
public:
    // The window's format and the samples its scenes draw with.
    SceneRehearsal(const QSurfaceFormat &format, int samples);
    ~SceneRehearsal() override;

protected:
    void run() override;

private:
    bool rehearse();

    QOffscreenSurface surface;
    int samples;
};

#endif // SCENEREHEARSAL_H
