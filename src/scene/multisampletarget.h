#ifndef MULTISAMPLETARGET_H
#define MULTISAMPLETARGET_H

#include <QRect>
#include <QSize>
#include <qopengl.h>

#include <memory>

class QOpenGLFramebufferObject;

// Where the scenes with edges to smooth are drawn: a framebuffer object with
// several samples a pixel, a depth and a stencil buffer, the size of the
// framebuffer it is resolved into (the window's, or a capture's). What needs
// no smoothing (a quad that covers whole pixels) draws straight into that
// output and pays no resolve. All of it with the GL context current.
class MultisampleTarget
{
public:
    // The samples a pixel the demo draws with, where the driver offers them.
    static constexpr int Samples = 4;

    MultisampleTarget();
    ~MultisampleTarget();

    // Frames of `size` pixels drawn with `samples` a pixel, or with the most
    // the driver offers if that is fewer, end up in `output`: a framebuffer
    // object's name, or the context's default framebuffer.
    void create(GLuint output, QSize size, int samples);
    // The framebuffer is made anew, when next bound, for another size.
    void resize(QSize size);
    QSize size() const;
    int samples() const;

    // Binds the framebuffer with samples, to draw into.
    void bind();
    // Binds the output, to draw into without samples.
    void bindOutput();
    // Averages each pixel's samples into the output, all of it or an area,
    // and binds the output.
    void resolve();
    void resolve(const QRect &area);

private:
    friend struct TestAccess;

    void makeFramebuffer();

    std::unique_ptr<QOpenGLFramebufferObject> framebuffer;
    GLuint output = 0;
    QSize outputSize;
    int drawnSamples = 0;
};

#endif // MULTISAMPLETARGET_H
