#ifndef GLFIXTURE_H
#define GLFIXTURE_H

#include <QColor>
#include <QImage>
#include <QMatrix4x4>
#include <QSize>
#include <QString>
#include <QVector3D>
#include <QVector4D>
#include <QtTest>
#include <qopengl.h>

#include <QOpenGLContext>
#include <QWindow>

// A real GL context for tests: a shown window of a known size (double
// buffered, depth buffer, no multisampling, never swapped), made current by
// the constructor. When no valid context comes up the test
// program aborts with qFatal: a GL test never passes or skips without GL.
//
// The static helpers work on whatever context is current, so they serve a
// GLWidget under test as well: state queries, colour-buffer and texture
// read-back, and pixel checks that save the frame as a PNG under failures/
// (in the working directory, path printed) when they fail. Pixel positions
// are GL window coordinates: x from the left, y from the bottom.
//
//     GLFixture gl(QSize(64, 64));
//     gl.resetState();
//     gl.setOrtho(0, 16, 0, 16);     // 4 pixels per unit
//     object.draw();
//     GL_COMPARE_PIXEL(gl, 10, 10, Qt::white);
class GLFixture
{
public:
    explicit GLFixture(QSize size = QSize(64, 64));
    ~GLFixture();

    QSize size() const;
    void makeCurrent();

    // Back to a known state: viewport over the whole window; depth test,
    // lighting, texturing, culling, blending and colour material off; back
    // faces culled when culling is on, counter-clockwise front; colour white,
    // normal (0, 0, 1), no texture bound, modulate texture environment; both
    // matrices at the identity, modelview selected; cleared to black, depth 1.
    void resetState();
    // Projection set to glOrtho (near -10, far 10) or gluPerspective with the
    // window's aspect; modelview selected and reset.
    void setOrtho(double left, double right, double bottom, double top);
    void setPerspective(double fovy, double zNear, double zFar);

    QImage grab() const;
    bool pixelMatches(int x, int y, const QColor &expected, QString *message,
                      int tolerance = DefaultTolerance) const;

    // Per-channel slack of pixel checks, for rounding of float colours.
    static const int DefaultTolerance = 2;

    // The colour buffer of the current context (read buffer, from (0, 0)),
    // top row first, as ARGB32.
    static QImage grabColourBuffer(QSize size);
    static QColor pixel(int x, int y);
    static bool pixelMatches(QSize frame, int x, int y, const QColor &expected, QString *message,
                             int tolerance = DefaultTolerance);
    // Saves image as failures/<program>_<function>[_<data tag>].png and returns
    // the absolute path.
    static QString saveFailure(const QImage &image);

    // A texture filled from image (converted to RGBA bytes, top row at
    // t = 0) or with one colour; nearest filtering, no mipmaps. Left bound.
    static GLuint makeTexture(const QImage &image);
    static GLuint makeTexture(QSize size, const QColor &colour);
    // Level 0 of a texture as glGetTexImage gives it in GL_RGBA bytes: row t
    // of the texture is scan line t, so bytes compare one to one with what
    // was uploaded. The binding is restored.
    static QImage textureImage(GLuint texture);
    static GLint textureParameter(GLuint texture, GLenum name);
    // True when level 0 of texture has image's size and, row for row, the
    // very bytes image holds in memory (no conversion, no flip).
    static bool textureHoldsBytesOf(GLuint texture, const QImage &image);
    // An image in four flat quadrants, for checks of orientation.
    static QImage quadrantImage(QSize size, const QColor &topLeft, const QColor &topRight,
                                const QColor &bottomLeft, const QColor &bottomRight);

    static bool isEnabled(GLenum capability);
    static QVector4D currentColour();
    static QVector3D currentNormal();
    static GLuint boundTexture2D();
    static QMatrix4x4 modelviewMatrix();

private:
    QWindow window;
    QOpenGLContext context;
};

// Fails the test with the pixel found and the path of the saved frame.
#define GL_COMPARE_PIXEL(fixture, x, y, expected)                                                  \
    do {                                                                                           \
        QString glMismatch_;                                                                       \
        if (!(fixture).pixelMatches((x), (y), QColor(expected), &glMismatch_))                     \
            QFAIL(qPrintable(glMismatch_));                                                        \
    } while (false)

#endif // GLFIXTURE_H
