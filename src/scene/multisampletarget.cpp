#include "multisampletarget.h"

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>

#include <cstdio>

namespace {
// Opaque colour, as the screen shows it: a window or a capture without an
// alpha channel, and one with, get the same frames.
const GLenum ColourFormat = GL_RGB8;

QOpenGLExtraFunctions *gl()
{
    return QOpenGLContext::currentContext()->extraFunctions();
}

int maximumSamples()
{
    GLint samples = 0;
    gl()->glGetIntegerv(GL_MAX_SAMPLES, &samples);
    return samples;
}

QOpenGLFramebufferObjectFormat framebufferFormat(int samples)
{
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    format.setSamples(samples);
    format.setInternalTextureFormat(ColourFormat);
    return format;
}

// Where the driver makes the colour but not the depth and stencil, Qt
// leaves them out and calls the framebuffer valid.
bool complete(const QOpenGLFramebufferObject &framebuffer)
{
    return framebuffer.isValid() &&
        framebuffer.attachment() == QOpenGLFramebufferObject::CombinedDepthStencil;
}

// The framebuffer with the most samples a pixel, up to `samples`, that the
// driver makes at `size`, each try with half as many; `samples` is left at
// that count, or at -1 and no framebuffer where none is made.
std::unique_ptr<QOpenGLFramebufferObject> makeFramebuffer(QSize size, int *samples)
{
    for (;; *samples /= 2) {
        auto framebuffer =
            std::make_unique<QOpenGLFramebufferObject>(size, framebufferFormat(*samples));
        if (complete(*framebuffer))
            return framebuffer;
        if (*samples == 0)
            break;
    }
    *samples = -1;
    return nullptr;
}

// Said once per process: a window's size may change, and what it says
// mostly holds at any size.
void sayFewerSamples(int drawn, QSize size)
{
    static bool said = false;
    if (said)
        return;
    said = true;
    if (drawn < 0)
        std::fprintf(stderr,
                     "Plok draws without samples or depth: this OpenGL makes no %dx%d "
                     "framebuffer.\n",
                     size.width(), size.height());
    else
        std::fprintf(stderr,
                     "Plok draws with %d samples a pixel, the most this OpenGL offers at "
                     "%dx%d.\n",
                     drawn, size.width(), size.height());
}
} // namespace

MultisampleTarget::MultisampleTarget() = default;

MultisampleTarget::~MultisampleTarget() = default;

int MultisampleTarget::samplesAt(QSize size, int samples)
{
    makeFramebuffer(size, &samples);
    return samples;
}

void MultisampleTarget::create(GLuint output, QSize size, int samples)
{
    this->output = output;
    askedSamples = samples;
    outputSize = QSize();
    resize(size);
}

// The framebuffer is made when it is first bound: a window whose first
// scene draws straight into its output holds no samples' memory until then.
void MultisampleTarget::resize(QSize size)
{
    if (size == outputSize)
        return;
    outputSize = size;
    framebuffer.reset();
    made = false;
    drawnSamples = qMin(askedSamples, maximumSamples());
}

void MultisampleTarget::make()
{
    made = true;
    const QSize drawn = outputSize.expandedTo(QSize(1, 1));
    framebuffer = makeFramebuffer(drawn, &drawnSamples);
    if (drawnSamples < askedSamples)
        sayFewerSamples(drawnSamples, drawn);
    drawnSamples = qMax(drawnSamples, 0);
}

QSize MultisampleTarget::size() const
{
    return outputSize;
}

int MultisampleTarget::samples() const
{
    return drawnSamples;
}

void MultisampleTarget::bind()
{
    if (!made)
        make();
    if (framebuffer)
        framebuffer->bind();
    else
        bindOutput();
}

void MultisampleTarget::bindOutput()
{
    gl()->glBindFramebuffer(GL_FRAMEBUFFER, output);
}

void MultisampleTarget::resolve()
{
    resolve(QRect(QPoint(0, 0), outputSize));
}

void MultisampleTarget::resolve(const QRect &area)
{
    if (!made)
        make();
    if (!framebuffer) {
        bindOutput();
        return;
    }
    const int left = area.left();
    const int bottom = area.top();
    const int right = area.left() + area.width();
    const int top = area.top() + area.height();
    gl()->glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer->handle());
    gl()->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, output);
    gl()->glBlitFramebuffer(left, bottom, right, top, left, bottom, right, top, GL_COLOR_BUFFER_BIT,
                            GL_NEAREST);
    bindOutput();
}
