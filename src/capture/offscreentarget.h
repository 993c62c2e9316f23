#ifndef OFFSCREENTARGET_H
#define OFFSCREENTARGET_H

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLBuffer>
#include <QOpenGLContext>
#include <QSize>
#include <QVector>

#include <memory>

class QOpenGLFramebufferObject;

// Where a capture's frames end up: a GL context on an off-screen surface
// with a framebuffer of the video's size, into which the scenes draw or are
// resolved as into the demo's window, and a read-back that runs a frame
// behind the drawing.
class OffscreenTarget
{
public:
    OffscreenTarget();
    ~OffscreenTarget();

    // Makes a GL context current on an off-screen surface.
    bool createContext(QString *error);
    QSize maximumSize() const;
    int maximumSamples() const;

    // The framebuffer and the read-back buffers.
    bool createFramebuffer(QSize size, QString *error);
    // The framebuffer's name, for the scenes to draw into.
    GLuint framebuffer() const;

    // Ends the frame just drawn and starts reading it back. Returns the
    // oldest frame whose read-back is complete, or a null image while the
    // first read-backs are under way.
    QImage swapBuffers();
    // The frames still being read back, oldest first; a null image when
    // there are none left.
    QImage takePending();

private:
    void startReadBack(QOpenGLBuffer &buffer);
    QImage finishReadBack(QOpenGLBuffer &buffer);
    QImage &unusedImage();

    QOpenGLContext context;
    QOffscreenSurface surface;
    std::unique_ptr<QOpenGLFramebufferObject> frameBuffer;
    QVector<QOpenGLBuffer> readBuffers;
    QVector<QImage> images;
    QSize frameSize;
    qint64 framesStarted = 0;
    qint64 framesTaken = 0;
};

#endif // OFFSCREENTARGET_H
