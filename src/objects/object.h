#ifndef OBJECT_H
#define OBJECT_H

#include <QObject>
#include <QSize>
#include <qopengl.h>

class Plasma;

// A transformable quad: position, an angle accumulated about an axis and an
// integer x/y scale, drawn in immediate mode with optional texture.
class Object : public QObject
{
    Q_OBJECT

public:
    explicit Object(QObject *parent);

    void setLighting(bool lighting);
    void setTextureUsage(bool textureUsage);
    void setDynamicTextureUsage(bool dynamicTextureUsage);
    void setTextureId(GLuint textureId);
    void setDynamicTexture(Plasma *dynamicTexture);
    void setAspectRatio(QSize aspectRatio);

    void reset();
    void translate(float x, float y, float z);
    void rotate(float angle, float axisX, float axisY, float axisZ);
    void move(float dx, float dy, float dz);

    virtual void draw();
    virtual void drawDynamicallyTextured(GLuint texture, Plasma *plasma);

    void debug() const;

    // Re-specifies the bound 2D texture with the plasma's current image.
    static void uploadPlasma(Plasma *plasma);
    // Clamps the bound 2D texture to its edges in s and t.
    static void clampTextureToEdge();

protected:
    friend struct TestAccess;

    // Turns GL_LIGHTING on or off as `lighting` says.
    void applyLighting() const;

    bool lighting;
    bool textureUsage;
    bool dynamicTextureUsage;
    GLuint textureId;
    Plasma *dynamicTexture;
    float x, y, z;
    float angle;
    float axisX, axisY, axisZ;
    QSize aspectRatio;
};

#endif // OBJECT_H
