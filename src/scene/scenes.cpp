#include "scenes.h"

#include "cube.h"
#include "object.h"
#include "plasma.h"

#include <GL/glu.h>

#include <algorithm>
#include <cstddef>

namespace {
const QSize PlasmaSize(256, 256);
const int PlasmaColors = 256;
const int CreditsPlasmaInterval = 30;

const double FieldOfView = 45.0;
const float NearPlane = 0.1f;
const double FarPlane = 100.0;
const QColor ClearColor(Qt::black);

struct Vector
{
    float x, y, z;
};

struct Placement
{
    int texture;
    QSize aspectRatio;
    Vector position;
};

struct Spin
{
    float step;
    Vector axis;
};

// The first caption: a unit square one unit in front of the eye, tilted
// about the view axis through its lower-left corner.
const Vector FirstCaptionPosition = { -0.5f, -0.5f, -1.0f };
const float FirstCaptionTilt = 10.0f;
const Vector ViewAxis = { 0.0f, 0.0f, 1.0f };

const Placement SceneOneCaption = { 1, QSize(8, 1), { -0.5f, -0.5f, -12.0f } };
const Vector SceneOneCubes[] = { { -1.5f, 0.0f, -7.0f } };
const Spin SceneOneSpins[] = { { -3.0f, { 0.2f, 1.0f, 0.2f } } };

const Vector SceneTwoCubes[] = {
    { 1.5f, 0.0f, -7.0f },
    { -2.0f, -1.0f, -10.0f },
    { -1.0f, 2.0f, -15.0f },
};
const Placement SceneTwoCaption = { 2, QSize(8, 1), { -8.0f, 2.0f, -12.0f } };
const Spin SceneTwoSpins[] = {
    { -3.0f, { 1.0f, 1.0f, 0.2f } },
    { -5.0f, { -1.0f, 0.5f, 0.5f } },
    { 8.0f, { 0.2f, -1.0f, 1.5f } },
};

const Placement Credits = { PictureTextures::Credits, QSize(1, 4), { 0.5f, -5.5f, -3.0f } };
const Vector SceneThreeCubes[] = {
    { -8.0f, 5.0f, -20.0f },
    { -8.0f, 0.0f, -20.0f },
    { -8.0f, -5.0f, -20.0f },
    { -1.0f, 0.0f, -10.0f },
};
const Spin SceneThreeSpins[] = {
    { -5.0f, { -1.5f, -2.0f, -2.5f } },
    { -5.0f, { 0.5f, 0.8f, -0.4f } },
    { -5.0f, { 0.6f, 1.7f, -0.3f } },
    { -5.0f, { 0.7f, 0.6f, -0.2f } },
};
const float CreditsRise = 0.008f;

// GL_LIGHT1, in eye space: the light is set between frames, when the
// model-view matrix is the identity.
const GLfloat LightAmbient[] = { 0.5f, 0.5f, 0.5f, 1.0f };
const GLfloat LightDiffuse[] = { 1.0f, 1.0f, 1.0f, 1.0f };
const GLfloat LightAboveAhead[] = { 0.0f, 10.0f, -5.0f, 1.0f };
const GLfloat LightAboveBehind[] = { 0.0f, 10.0f, 1.0f, 1.0f };

const GLfloat DefaultAmbient[] = { 0.2f, 0.2f, 0.2f, 1.0f };
const GLfloat DefaultDiffuse[] = { 0.8f, 0.8f, 0.8f, 1.0f };

// The unit square, counter-clockwise from the lower left: the plasma quad's
// vertices and texture coordinates alike.
const GLint ScreenCorners[] = { 0, 0, 1, 0, 1, 1, 0, 1 };

void placeCaption(Object *dialog, const PictureTextures &pictures, const Placement &placement)
{
    dialog->reset();
    dialog->setTextureUsage(true);
    dialog->setTextureId(pictures.texture(placement.texture));
    dialog->setAspectRatio(placement.aspectRatio);
    dialog->translate(placement.position.x, placement.position.y, placement.position.z);
}

template<std::size_t N> void placeCubes(Cube *const *cubes, const Vector (&positions)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        cubes[i]->translate(positions[i].x, positions[i].y, positions[i].z);
}

template<std::size_t N> void spinCubes(Cube *const *cubes, const Spin (&spins)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        cubes[i]->rotate(spins[i].step, spins[i].axis.x, spins[i].axis.y, spins[i].axis.z);
}
} // namespace

Scenes::Scenes(QObject *owner)
    : owner(owner)
{
    makeCubes();
}

Scenes::Scenes(QObject *owner, const QVector<PictureTextures::Levels> &decoded)
    : owner(owner)
    , pictures(decoded)
{
    makeCubes();
}

void Scenes::makeCubes()
{
    for (Cube *&cube : cubes)
        cube = new Cube(owner);
}

Scenes::~Scenes() = default;

void Scenes::setUp()
{
    plasma = new Plasma(PlasmaSize, PlasmaColors, owner);

    glClearColor(ClearColor.redF(), ClearColor.greenF(), ClearColor.blueF(), ClearColor.alphaF());
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);

    plasmaTexture.make(plasma, PictureTextures::Mipmaps::None);
    pictures.uploadFirstCaption();
    setUpCaption();
}

// Leaves the model-view matrix selected but does not reset it.
void Scenes::resize(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfView, double(width) / double(height), NearPlane, FarPlane);
    glMatrixMode(GL_MODELVIEW);
}

void Scenes::uploadLaterPictures()
{
    pictures.uploadTheRest();
}

QVector<PictureTextures::Levels> Scenes::decodedPictures() const
{
    return pictures.decodedPictures();
}

void Scenes::setUpCaption()
{
    dialog = new Object(owner);
    dialog->setLighting(false);
    dialog->setTextureUsage(true);
    dialog->setTextureId(pictures.texture(PictureTextures::FirstCaption));
    dialog->translate(FirstCaptionPosition.x, FirstCaptionPosition.y, FirstCaptionPosition.z);
    dialog->rotate(FirstCaptionTilt, ViewAxis.x, ViewAxis.y, ViewAxis.z);
}

void Scenes::enter(int scene)
{
    switch (scene) {
    case 1:
        enterSceneOne();
        break;
    case 2:
        enterSceneTwo();
        break;
    case 3:
        enterSceneThree();
        break;
    }
}

void Scenes::enterSceneOne()
{
    plasma->stop();
    placeCaption(dialog, pictures, SceneOneCaption);
    placeCubes(cubes, SceneOneCubes);
}

void Scenes::enterSceneTwo()
{
    placeCubes(cubes, SceneTwoCubes);
    placeCaption(dialog, pictures, SceneTwoCaption);
    switchLight(true);
}

void Scenes::enterSceneThree()
{
    plasma->start(CreditsPlasmaInterval);
    plasmaTexture.make(plasma, PictureTextures::Mipmaps::Made);
    placeCaption(dialog, pictures, Credits);
    placeCubes(cubes, SceneThreeCubes);
    setLight(LightAboveBehind);
}

// The light comes on with the three-cube scene, ahead of the eye.
void Scenes::switchLight(bool on)
{
    if (on) {
        std::copy(LightAmbient, LightAmbient + 4, lightAmbient);
        std::copy(LightDiffuse, LightDiffuse + 4, lightDiffuse);
        glLightfv(GL_LIGHT1, GL_AMBIENT, lightAmbient);
        glLightfv(GL_LIGHT1, GL_DIFFUSE, lightDiffuse);
        setLight(LightAboveAhead);
        glEnable(GL_LIGHT1);
    } else {
        glDisable(GL_LIGHT1);
    }
    setCubesLit(on);
}

void Scenes::setLight(const GLfloat position[4])
{
    std::copy(position, position + 4, lightPosition);
    glLightfv(GL_LIGHT1, GL_POSITION, lightPosition);
}

void Scenes::setCubesLit(bool lit)
{
    for (Cube *cube : cubes)
        cube->setLighting(lit);
}

void Scenes::step(int scene)
{
    switch (scene) {
    case 1:
        spinCubes(cubes, SceneOneSpins);
        break;
    case 2:
        spinCubes(cubes, SceneTwoSpins);
        break;
    case 3:
        spinCubes(cubes, SceneThreeSpins);
        dialog->move(0.0f, CreditsRise, 0.0f);
        break;
    }
}

void Scenes::paint(int scene)
{
    if (scene == 0) {
        paintPlasmaScene();
        return;
    }
    clearBuffers();
    glLoadIdentity();
    switch (scene) {
    case 1:
        paintOneCube();
        break;
    case 2:
        paintLitCubes();
        break;
    case 3:
        paintTexturedCubes();
        break;
    }
    paintCaption();
}

// Nothing uses the stencil, but it shares each word with the depth: cleared
// alone, the depth makes llvmpipe keep every stencil byte it rewrites, which
// costs more than all three buffers cleared outright.
void Scenes::clearBuffers()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

// The plasma covers every pixel and nothing in its scene reads depth: its
// frame needs no clear.
void Scenes::paintPlasmaScene()
{
    glLoadIdentity();
    paintPlasma();
    paintCaption();
}

// The plasma fills the viewport in a unit orthographic projection, whatever
// its shape, over whatever was there, without the depth test, which would
// cost a software renderer as much as the plasma. It relies on the state
// kept between frames: texturing on, lighting off, the current colour white.
void Scenes::paintPlasma()
{
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    plasmaTexture.uploadForScreen();

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_INT, 0, ScreenCorners);
    glTexCoordPointer(2, GL_INT, 0, ScreenCorners);
    glDrawArrays(GL_QUADS, 0, 4);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
}

void Scenes::paintOneCube()
{
    cubes[0]->draw();
}

// The first two cubes show the default material under the light, the third
// its own face colours; the default material is put back afterwards.
void Scenes::paintLitCubes()
{
    cubes[0]->draw();
    cubes[1]->draw();

    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    cubes[2]->draw();
    glDisable(GL_COLOR_MATERIAL);

    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, DefaultAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, DefaultDiffuse);
}

void Scenes::paintTexturedCubes()
{
    plasmaTexture.uploadForCubes();
    for (Cube *cube : cubes)
        cube->drawTextured(plasmaTexture.name(), nullptr);
}

// Drawn last in every scene: the caption's draw turns the depth test off, so
// it lies over everything, and its transparent ground lets the scene through.
// Most of a caption's quad is that ground, which blending would leave as it
// was: the alpha test drops it before the renderer blends. The caption blends
// into the picture's colours but leaves its alpha at 1: where the window has
// an alpha channel, the compositor shows nothing through it.
void Scenes::paintCaption()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    dialog->draw();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
}

// The milliseconds are read as if the wall clock had shown the start of 1970
// when the timeline began.
void Scenes::renderPlasmaAt(qint64 msecs)
{
    plasma->paintFrame(Plasma::timeBase(quint32(msecs / 1000), int(msecs % 1000)));
}
