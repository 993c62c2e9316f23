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

// Said once per process: the picture stays as it is from then on.
void sayFewerSamples(int offered)
{
    static bool said = false;
    if (said)
        return;
    said = true;
    std::fprintf(stderr, "Plok draws with %d samples a pixel, the most this OpenGL offers.\n",
                 offered);
}
} // namespace

MultisampleTarget::MultisampleTarget() = default;

MultisampleTarget::~MultisampleTarget() = default;

void MultisampleTarget::create(GLuint output, QSize size, int samples)
{
    this->output = output;
    drawnSamples = qMin(samples, maximumSamples());
    if (drawnSamples < samples)
        sayFewerSamples(drawnSamples);
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
    if (!framebuffer)
        makeFramebuffer();
    framebuffer->bind();
}

void MultisampleTarget::makeFramebuffer()
{
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    format.setSamples(drawnSamples);
    format.setInternalTextureFormat(ColourFormat);
    framebuffer =
        std::make_unique<QOpenGLFramebufferObject>(outputSize.expandedTo(QSize(1, 1)), format);
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
    const int left = area.left();
    const int bottom = area.top();
    const int right = area.left() + area.width();
    const int top = area.top() + area.height();
    if (!framebuffer)
        makeFramebuffer();
    gl()->glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer->handle());
    gl()->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, output);
    gl()->glBlitFramebuffer(left, bottom, right, top, left, bottom, right, top, GL_COLOR_BUFFER_BIT,
                            GL_NEAREST);
    bindOutput();
}
