#include "glfixture.h"

#include <GL/glu.h>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTransform>

#include <cstring>

namespace {
const char FailureDirectory[] = "failures";
// A new window's first show can take seconds on a busy machine.
const int ExposeDeadline = 30000;

const int DepthBits = 24;

// The fixture draws into the back buffer and reads it back: a plain window,
// which nothing paints or swaps when it is exposed.
QSurfaceFormat plainFormat()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setDepthBufferSize(DepthBits);
    format.setSamples(0);
    return format;
}

QString channelText(const QColor &colour)
{
    return QStringLiteral("(%1, %2, %3, %4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(colour.alpha());
}
} // namespace

GLFixture::GLFixture(QSize size)
{
    window.setSurfaceType(QSurface::OpenGLSurface);
    window.setFormat(plainFormat());
    window.setTitle(QStringLiteral("GL test fixture"));
    window.resize(size);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window, ExposeDeadline))
        qFatal("GLFixture: the GL window was never exposed");
    if (window.size() != size)
        qFatal("GLFixture: asked for %dx%d, the window is %dx%d", size.width(), size.height(),
               window.width(), window.height());
    context.setFormat(window.requestedFormat());
    if (!context.create() || !context.isValid())
        qFatal("GLFixture: no valid GL context");
    makeCurrent();
    const GLubyte *renderer = glGetString(GL_RENDERER);
    const GLubyte *version = glGetString(GL_VERSION);
    if (!QOpenGLContext::currentContext() || !renderer || !version)
        qFatal("GLFixture: the GL context did not become current");
    qInfo("GLFixture: %s, OpenGL %s, %dx%d", reinterpret_cast<const char *>(renderer),
          reinterpret_cast<const char *>(version), size.width(), size.height());
    resetState();
}

GLFixture::~GLFixture()
{
    context.doneCurrent();
}

QSize GLFixture::size() const
{
    return window.size();
}

void GLFixture::makeCurrent()
{
    context.makeCurrent(&window);
    if (!QOpenGLContext::currentContext())
        qFatal("GLFixture: makeCurrent left no current context");
}

void GLFixture::resetState()
{
    makeCurrent();
    glViewport(0, 0, size().width(), size().height());
    for (GLenum capability : { GL_DEPTH_TEST, GL_LIGHTING, GL_TEXTURE_2D, GL_CULL_FACE, GL_BLEND,
                               GL_COLOR_MATERIAL, GL_MULTISAMPLE })
        glDisable(capability);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glDepthFunc(GL_LESS);
    glClearDepth(1);
    glColor4f(1, 1, 1, 1);
    glNormal3f(0, 0, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GLFixture::setOrtho(double left, double right, double bottom, double top)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GLFixture::setPerspective(double fovy, double zNear, double zFar)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovy, double(size().width()) / size().height(), zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

QImage GLFixture::grab() const
{
    return grabColourBuffer(size());
}

bool GLFixture::pixelMatches(int x, int y, const QColor &expected, QString *message,
                             int tolerance) const
{
    return pixelMatches(size(), x, y, expected, message, tolerance);
}

QImage GLFixture::grabColourBuffer(QSize size)
{
    QImage image(size, QImage::Format_RGBA8888);
    glFinish();
    glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    // GL's rows run bottom to top.
    return image.transformed(QTransform::fromScale(1, -1)).convertToFormat(QImage::Format_ARGB32);
}

QColor GLFixture::pixel(int x, int y)
{
    GLubyte rgba[4] = {};
    glFinish();
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return QColor(rgba[0], rgba[1], rgba[2], rgba[3]);
}

bool GLFixture::pixelMatches(QSize frame, int x, int y, const QColor &expected, QString *message,
                             int tolerance)
{
    const QColor found = pixel(x, y);
    const bool matches = qAbs(found.red() - expected.red()) <= tolerance &&
        qAbs(found.green() - expected.green()) <= tolerance &&
        qAbs(found.blue() - expected.blue()) <= tolerance &&
        qAbs(found.alpha() - expected.alpha()) <= tolerance;
    if (!matches) {
        const QString path = saveFailure(grabColourBuffer(frame));
        *message = QStringLiteral("pixel (%1, %2) is %3, expected %4; frame saved as %5")
                       .arg(x)
                       .arg(y)
                       .arg(channelText(found), channelText(expected), path);
    }
    return matches;
}

QString GLFixture::saveFailure(const QImage &image)
{
    QDir().mkpath(QLatin1String(FailureDirectory));
    QString name = QStringLiteral("%1_%2").arg(
        QFileInfo(QString::fromLocal8Bit(QTest::currentAppName())).fileName(),
        QLatin1String(QTest::currentTestFunction()));
    if (QTest::currentDataTag())
        name += QLatin1Char('_') + QLatin1String(QTest::currentDataTag());
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    const QString path = QDir(QLatin1String(FailureDirectory)).absoluteFilePath(name + ".png");
    image.save(path);
    qWarning("GLFixture: saved the frame as %s", qPrintable(path));
    return path;
}

GLuint GLFixture::makeTexture(const QImage &image)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, rgba.width(), rgba.height(), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.constBits());
    return texture;
}

GLuint GLFixture::makeTexture(QSize size, const QColor &colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return makeTexture(image);
}

QImage GLFixture::textureImage(GLuint texture)
{
    const GLuint previous = boundTexture2D();
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    QImage image(width, height, QImage::Format_RGBA8888);
    if (!image.isNull())
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    glBindTexture(GL_TEXTURE_2D, previous);
    return image;
}

GLint GLFixture::textureParameter(GLuint texture, GLenum name)
{
    const GLuint previous = boundTexture2D();
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    glBindTexture(GL_TEXTURE_2D, previous);
    return value;
}

bool GLFixture::textureHoldsBytesOf(GLuint texture, const QImage &image)
{
    const QImage texels = textureImage(texture);
    if (texels.size() != image.size() || image.depth() != 32)
        return false;
    const int rowBytes = image.width() * 4;
    for (int row = 0; row < image.height(); ++row) {
        if (memcmp(texels.constScanLine(row), image.constScanLine(row), rowBytes) != 0)
            return false;
    }
    return true;
}

QImage GLFixture::quadrantImage(QSize size, const QColor &topLeft, const QColor &topRight,
                                const QColor &bottomLeft, const QColor &bottomRight)
{
    QImage image(size, QImage::Format_ARGB32);
    const int halfWidth = size.width() / 2;
    const int halfHeight = size.height() / 2;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const bool left = x < halfWidth;
            const QColor &colour =
                y < halfHeight ? (left ? topLeft : topRight) : (left ? bottomLeft : bottomRight);
            image.setPixel(x, y, colour.rgba());
        }
    }
    return image;
}

bool GLFixture::isEnabled(GLenum capability)
{
    return glIsEnabled(capability) == GL_TRUE;
}

QVector4D GLFixture::currentColour()
{
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    return QVector4D(colour[0], colour[1], colour[2], colour[3]);
}

QVector3D GLFixture::currentNormal()
{
    GLfloat normal[3] = {};
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    return QVector3D(normal[0], normal[1], normal[2]);
}

GLuint GLFixture::boundTexture2D()
{
    GLint texture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    return GLuint(texture);
}

QMatrix4x4 GLFixture::modelviewMatrix()
{
    GLfloat matrix[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    return QMatrix4x4(matrix).transposed();
}
