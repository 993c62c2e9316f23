#include "cube.h"

#include "plasma.h"

namespace {
typedef GLfloat Vector[3];

// draw(): one flat shade per face, from yellow to orange in the order drawn;
// every face wound counter-clockwise seen from outside.
struct ColouredFace
{
    Vector normal;
    Vector colour;
    Vector corners[4];
};
// clang-format off
const ColouredFace ColouredFaces[] = {
    // normal        colour           corners 1 to 4
    { {  0,  1,  0 }, { 1, 0.95f, 0 }, { {  1,  1, -1 }, { -1,  1, -1 }, { -1,  1,  1 }, {  1,  1,  1 } } }, // top
    { {  0, -1,  0 }, { 1, 0.9f,  0 }, { {  1, -1,  1 }, { -1, -1,  1 }, { -1, -1, -1 }, {  1, -1, -1 } } }, // bottom
    { {  0,  0,  1 }, { 1, 0.85f, 0 }, { {  1,  1,  1 }, { -1,  1,  1 }, { -1, -1,  1 }, {  1, -1,  1 } } }, // front
    { {  0,  0, -1 }, { 1, 0.8f,  0 }, { {  1, -1, -1 }, { -1, -1, -1 }, { -1,  1, -1 }, {  1,  1, -1 } } }, // back
    { { -1,  0,  0 }, { 1, 0.75f, 0 }, { { -1,  1,  1 }, { -1,  1, -1 }, { -1, -1, -1 }, { -1, -1,  1 } } }, // left
    { {  1,  0,  0 }, { 1, 0.7f,  0 }, { {  1,  1, -1 }, {  1,  1,  1 }, {  1, -1,  1 }, {  1, -1, -1 } } }, // right
};
// clang-format on

// drawTextured(): the whole image once on every face. Face order and first
// corners differ from the coloured table on purpose; both are kept as drawn.
struct TexturedCorner
{
    GLfloat s, t;
    Vector vertex;
};
struct TexturedFace
{
    Vector normal;
    TexturedCorner corners[4];
};
// clang-format off
const TexturedFace TexturedFaces[] = {
    // normal        corners 1 to 4: (s, t) at vertex
    { {  0,  0,  1 }, { { 0, 0, { -1, -1,  1 } }, { 1, 0, {  1, -1,  1 } }, { 1, 1, {  1,  1,  1 } }, { 0, 1, { -1,  1,  1 } } } }, // front
    { {  0,  0, -1 }, { { 1, 0, { -1, -1, -1 } }, { 1, 1, { -1,  1, -1 } }, { 0, 1, {  1,  1, -1 } }, { 0, 0, {  1, -1, -1 } } } }, // back
    { {  0,  1,  0 }, { { 0, 1, { -1,  1, -1 } }, { 0, 0, { -1,  1,  1 } }, { 1, 0, {  1,  1,  1 } }, { 1, 1, {  1,  1, -1 } } } }, // top
    { {  0, -1,  0 }, { { 1, 1, { -1, -1, -1 } }, { 0, 1, {  1, -1, -1 } }, { 0, 0, {  1, -1,  1 } }, { 1, 0, { -1, -1,  1 } } } }, // bottom
    { {  1,  0,  0 }, { { 1, 0, {  1, -1, -1 } }, { 1, 1, {  1,  1, -1 } }, { 0, 1, {  1,  1,  1 } }, { 0, 0, {  1, -1,  1 } } } }, // right
    { { -1,  0,  0 }, { { 0, 0, { -1, -1, -1 } }, { 1, 0, { -1, -1,  1 } }, { 1, 1, { -1,  1,  1 } }, { 0, 1, { -1,  1, -1 } } } }, // left
};
// clang-format on
} // namespace

Cube::Cube(QObject *parent)
    : Object(parent)
{
}

// Leaves GL_TEXTURE_2D on and GL_COLOR_MATERIAL off whatever they were,
// GL_LIGHTING as `lighting`, and the last face's colour (1, 0.7, 0) and
// normal (1, 0, 0) current.
void Cube::draw()
{
    glPushMatrix();
    applyLighting();
    glDisable(GL_TEXTURE_2D);

    glTranslatef(x, y, z);
    glRotatef(angle, axisX, axisY, axisZ);
    glBegin(GL_QUADS);
    for (const ColouredFace &face : ColouredFaces) {
        glNormal3fv(face.normal);
        glColor3fv(face.colour);
        for (const Vector &corner : face.corners)
            glVertex3fv(corner);
    }
    glEnd();

    glEnable(GL_TEXTURE_2D);
    glDisable(GL_COLOR_MATERIAL);
    glPopMatrix();
}

// Leaves `texture` bound and holding the plasma's image, GL_LIGHTING as
// `lighting` and the normal (-1, 0, 0) current; GL_TEXTURE_2D, colour, depth
// test and colour material untouched. Shows the texture only if the caller
// has texturing on. Without a plasma, shows what the texture already holds.
void Cube::drawTextured(GLuint texture, Plasma *plasma)
{
    glPushMatrix();
    applyLighting();

    glBindTexture(GL_TEXTURE_2D, texture);
    clampTextureToEdge();

    glTranslatef(x, y, z);
    glRotatef(angle, axisX, axisY, axisZ);
    if (plasma)
        uploadPlasma(plasma);

    glBegin(GL_QUADS);
    for (const TexturedFace &face : TexturedFaces) {
        glNormal3fv(face.normal);
        for (const TexturedCorner &corner : face.corners) {
            glTexCoord2f(corner.s, corner.t);
            glVertex3fv(corner.vertex);
        }
    }
    glEnd();

    glPopMatrix();
}
