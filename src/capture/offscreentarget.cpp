#include "offscreentarget.h"

#include "scenedirector.h"

#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

#include <algorithm>
#include <cstring>

namespace {
// Read-backs in flight: with two, the frame before is copied out while the
// GL implementation reads the frame just drawn.
const int ReadBuffers = 2;
const int BytesPerPixel = 4;

GLint integer(QOpenGLFunctions *gl, GLenum name)
{
    GLint value[2] = {};
    gl->glGetIntegerv(name, value);
    return value[0];
}

// Like the window's: no alpha channel, so that the pixels read back are
// opaque as the screen shows them; the scenes bring their own depth.
QOpenGLFramebufferObjectFormat framebufferFormat()
{
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::NoAttachment);
    format.setInternalTextureFormat(GL_RGB8);
    return format;
}
} // namespace

OffscreenTarget::OffscreenTarget() = default;

OffscreenTarget::~OffscreenTarget()
{
    if (QOpenGLContext::currentContext() == &context) {
        frameBuffer.reset();
        for (QOpenGLBuffer &buffer : readBuffers)
            buffer.destroy();
        context.doneCurrent();
    }
}

bool OffscreenTarget::createContext(QString *error)
{
    context.setFormat(SceneDirector::surfaceFormat());
    if (!context.create()) {
        *error = "no OpenGL context could be created on this display";
        return false;
    }
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) {
        *error = "the OpenGL context could not be made current on an off-screen surface";
        return false;
    }
    return true;
}

QSize OffscreenTarget::maximumSize() const
{
    QOpenGLFunctions *gl = context.functions();
    GLint viewport[2] = {};
    gl->glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    const int side =
        std::min(integer(gl, GL_MAX_RENDERBUFFER_SIZE), integer(gl, GL_MAX_TEXTURE_SIZE));
    return QSize(side, side).boundedTo(QSize(viewport[0], viewport[1]));
}

int OffscreenTarget::maximumSamples() const
{
    return integer(context.functions(), GL_MAX_SAMPLES);
}

bool OffscreenTarget::createFramebuffer(QSize size, QString *error)
{
    frameSize = size;
    frameBuffer = std::make_unique<QOpenGLFramebufferObject>(size, framebufferFormat());
    if (!frameBuffer->isValid()) {
        *error = QString("no %1x%2 framebuffer could be made").arg(size.width()).arg(size.height());
        return false;
    }

    const int bytes = size.width() * size.height() * BytesPerPixel;
    // One by one: copies of a QOpenGLBuffer share its GL buffer.
    for (int i = 0; i < ReadBuffers; ++i)
        readBuffers.append(QOpenGLBuffer(QOpenGLBuffer::PixelPackBuffer));
    for (QOpenGLBuffer &buffer : readBuffers) {
        buffer.setUsagePattern(QOpenGLBuffer::StreamRead);
        if (!buffer.create() || !buffer.bind()) {
            *error = "no pixel buffer for the read-back could be made";
            return false;
        }
        buffer.allocate(bytes);
        buffer.release();
    }
    return true;
}

GLuint OffscreenTarget::framebuffer() const
{
    return frameBuffer->handle();
}

QImage OffscreenTarget::swapBuffers()
{
    startReadBack(readBuffers[framesStarted++ % ReadBuffers]);
    if (framesStarted - framesTaken < ReadBuffers)
        return QImage();
    return takePending();
}

QImage OffscreenTarget::takePending()
{
    if (framesTaken == framesStarted)
        return QImage();
    return finishReadBack(readBuffers[framesTaken++ % ReadBuffers]);
}

void OffscreenTarget::startReadBack(QOpenGLBuffer &buffer)
{
    frameBuffer->bind();
    buffer.bind();
    context.functions()->glReadPixels(0, 0, frameSize.width(), frameSize.height(), GL_BGRA,
                                      GL_UNSIGNED_BYTE, nullptr);
    buffer.release();
}

// GL's rows run bottom-up, an image's top-down.
QImage OffscreenTarget::finishReadBack(QOpenGLBuffer &buffer)
{
    const int rowBytes = frameSize.width() * BytesPerPixel;
    QImage &frame = unusedImage();
    buffer.bind();
    const auto *pixels = static_cast<const uchar *>(
        buffer.mapRange(0, rowBytes * frameSize.height(), QOpenGLBuffer::RangeRead));
    if (pixels) {
        for (int y = 0; y < frameSize.height(); ++y)
            std::memcpy(frame.scanLine(frameSize.height() - 1 - y), pixels + y * rowBytes,
                        rowBytes);
        buffer.unmap();
    }
    buffer.release();
    return pixels ? frame : QImage();
}

// The frames' images are used again once whoever took them has let them go:
// a new image of a full frame a frame costs more in page faults than the
// copy into it.
QImage &OffscreenTarget::unusedImage()
{
    for (QImage &image : images) {
        if (image.isDetached())
            return image;
    }
    images.append(QImage(frameSize, QImage::Format_RGB32));
    return images.last();
}
