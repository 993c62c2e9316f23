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
// output and pays no resolve. Where the driver cannot make the framebuffer
// at that size (a framebuffer with samples takes several times the memory),
// it is made with fewer samples, or none; where it cannot be made at all,
// the scenes draw straight into the output. All of it with the GL context
// current.
class MultisampleTarget
{
public:
    // The samples a pixel the demo draws with, where the driver offers them.
    static constexpr int Samples = 4;

    MultisampleTarget();
    ~MultisampleTarget();

    // The most samples a pixel, up to `samples`, with which the driver makes
    // a framebuffer of `size`; -1 where it makes none, not even without.
    static int samplesAt(QSize size, int samples);

    // Frames of `size` pixels drawn with `samples` a pixel, or with the most
    // the driver offers at that size if that is fewer, end up in `output`: a
    // framebuffer object's name, or the context's default framebuffer.
    void create(GLuint output, QSize size, int samples);
    // The framebuffer is made anew for another size when next bound, with as
    // many samples as the driver then offers.
    void resize(QSize size);
    QSize size() const;
    // The samples a pixel drawn with; until the framebuffer is made, those
    // the driver offers in general.
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

    void make();

    std::unique_ptr<QOpenGLFramebufferObject> framebuffer;
    GLuint output = 0;
    QSize outputSize;
    int askedSamples = 0;
    int drawnSamples = 0;
    bool made = false;
};

#endif // MULTISAMPLETARGET_H
