#include "object.h"

#include "debuglog.h"
#include "plasma.h"

#include <QImage>
#include <QString>

namespace {
// The unit quad of draw(): texture coordinates follow the vertices, so the
// texture's row t = 0 lies along the bottom edge.
struct TexturedCorner3
{
    GLfloat s, t, r;
    GLfloat x, y, z;
};
const TexturedCorner3 QuadCorners[] = {
    { 0, 0, 0, 0, 0, 0 },
    { 1, 0, 0, 1, 0, 0 },
    { 1, 1, 0, 1, 1, 0 },
    { 0, 1, 0, 0, 1, 0 },
};

// The unit quad of drawDynamicallyTextured(): t = 0 along the top edge, so a
// raw plasma upload, whose first row is the image's top row, shows upright.
struct TexturedCorner2
{
    GLfloat s, t;
    GLfloat x, y;
};
const TexturedCorner2 UprightQuadCorners[] = {
    { 0, 1, 0, 0 },
    { 1, 1, 1, 0 },
    { 1, 0, 1, 1 },
    { 0, 0, 0, 1 },
};
} // namespace

Object::Object(QObject *parent)
    : QObject(parent)
    , lighting(false)
    , textureUsage(false)
    , dynamicTextureUsage(false)
    , textureId(0)
    , dynamicTexture(nullptr)
    , x(0)
    , y(0)
    , z(0)
    , angle(0)
    , axisX(0)
    , axisY(0)
    , axisZ(0)
    , aspectRatio(1, 1)
{
}

void Object::setLighting(bool lighting)
{
    this->lighting = lighting;
}

void Object::setTextureUsage(bool textureUsage)
{
    this->textureUsage = textureUsage;
}

void Object::setDynamicTextureUsage(bool dynamicTextureUsage)
{
    this->dynamicTextureUsage = dynamicTextureUsage;
}

void Object::setTextureId(GLuint textureId)
{
    this->textureId = textureId;
}

void Object::setDynamicTexture(Plasma *dynamicTexture)
{
    this->dynamicTexture = dynamicTexture;
}

void Object::setAspectRatio(QSize aspectRatio)
{
    this->aspectRatio = aspectRatio;
}

void Object::reset()
{
    x = y = z = 0;
    angle = 0;
}

void Object::translate(float x, float y, float z)
{
    this->x = x;
    this->y = y;
    this->z = z;
}

void Object::rotate(float angle, float axisX, float axisY, float axisZ)
{
    this->angle += angle;
    this->axisX = axisX;
    this->axisY = axisY;
    this->axisZ = axisZ;
}

void Object::move(float dx, float dy, float dz)
{
    x += dx;
    y += dy;
    z += dz;
}

void Object::applyLighting() const
{
    if (lighting)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
}

void Object::clampTextureToEdge()
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

// Leaves the depth test on (the overlay neither tests nor writes depth while
// it draws), GL_TEXTURE_2D on with textureId bound exactly when textureUsage
// is set, GL_LIGHTING as `lighting`, and the current colour white.
void Object::draw()
{
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    applyLighting();

    if (textureUsage) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, textureId);
        clampTextureToEdge();
        if (dynamicTextureUsage)
            uploadPlasma(dynamicTexture);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    glColor3f(1, 1, 1);

    glTranslatef(x, y, z);
    glRotatef(angle, axisX, axisY, axisZ);
    glScalef(aspectRatio.width(), aspectRatio.height(), 0);
    glBegin(GL_QUADS);
    for (const TexturedCorner3 &corner : QuadCorners) {
        glTexCoord3f(corner.s, corner.t, corner.r);
        glVertex3f(corner.x, corner.y, corner.z);
    }
    glEnd();

    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}

// Leaves GL_TEXTURE_2D on with `texture` bound and holding the plasma's
// image, GL_LIGHTING as `lighting`; depth test, colour and normal untouched.
void Object::drawDynamicallyTextured(GLuint texture, Plasma *plasma)
{
    glPushMatrix();
    applyLighting();

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    clampTextureToEdge();

    glTranslatef(x, y, z);
    glRotatef(angle, axisX, axisY, axisZ);
    uploadPlasma(plasma);

    glBegin(GL_QUADS);
    for (const TexturedCorner2 &corner : UprightQuadCorners) {
        glTexCoord2f(corner.s, corner.t);
        glVertex2f(corner.x, corner.y);
    }
    glEnd();

    glPopMatrix();
}

void Object::debug() const
{
    const QString format = QStringLiteral("X: %1\n Y: %2\n Z: %3");
    DebugLog::string(
        format.arg(double(x), 0, 'g', -1).arg(double(y), 0, 'g', -1).arg(double(z), 0, 'g', -1));
}

// The ARGB32 words go over as they lie in memory, B, G, R, A on the
// little-endian targets, declared as RGBA: red and blue arrive exchanged, and
// the image's top row becomes texture row t = 0.
void Object::uploadPlasma(Plasma *plasma)
{
    QImage *image = plasma->getImage();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image->width(), image->height(), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, image->bits());
}
