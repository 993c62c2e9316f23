#include "scenedirector.h"

#include "clock.h"
#include "cube.h"
#include "object.h"
#include "plasma.h"
#include "scenerehearsal.h"

#include <QOpenGLContext>
#include <QThread>

#include <GL/glu.h>

#include <algorithm>
#include <cstddef>

namespace {

// The timeline: where each scene ends, in ms from the start. Every change is
// placed from the start, so a late change does not delay the next one.
const qint64 SceneEnds[] = { 7000, 14500, 22000, 45000 };
const int SceneCount = 4;
// The light comes on with the three-cube scene and stays on.
const int LitFrom = 2;

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

void switchLightOn(const GLfloat ambient[4], const GLfloat diffuse[4], const GLfloat position[4])
{
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, position);
    glEnable(GL_LIGHT1);
}

// The warm-up draws into a corner of the target, which costs little; the
// next frame covers it. A scissor would confine the clears too, but llvmpipe
// then clears by drawing, with a shader that no frame needs.
const QRect WarmUpCorner(0, 0, 64, 64);

// The viewport on the warm-up's corner for as long as this lives.
class CornerViewport
{
public:
    CornerViewport()
    {
        glGetIntegerv(GL_VIEWPORT, viewport);
        glViewport(WarmUpCorner.x(), WarmUpCorner.y(), WarmUpCorner.width(), WarmUpCorner.height());
    }
    ~CornerViewport() { glViewport(viewport[0], viewport[1], viewport[2], viewport[3]); }
    CornerViewport(const CornerViewport &) = delete;
    CornerViewport &operator=(const CornerViewport &) = delete;

private:
    GLint viewport[4] = {};
};

template<std::size_t N> void spinCubes(Cube *const *cubes, const Spin (&spins)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        cubes[i]->rotate(spins[i].step, spins[i].axis.x, spins[i].axis.y, spins[i].axis.z);
}

} // namespace

SceneDirector::SceneDirector(QObject *owner, const Clock *clock)
    : owner(owner)
    , clock(clock)
{
    for (Cube *&cube : cubes)
        cube = new Cube(owner);
}

SceneDirector::~SceneDirector() = default;

QSurfaceFormat SceneDirector::surfaceFormat()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setDepthBufferSize(0);
    format.setStencilBufferSize(0);
    format.setSamples(0);
    return format;
}

qint64 SceneDirector::length()
{
    return SceneEnds[SceneCount - 1];
}

void SceneDirector::start(GLuint output, QSize size, int samples, Smoothing smoothing,
                          Preparation preparation)
{
    this->smoothing = smoothing;
    plasma = new Plasma(PlasmaSize, PlasmaColors, owner);

    glClearColor(ClearColor.redF(), ClearColor.greenF(), ClearColor.blueF(), ClearColor.alphaF());
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    target.create(output, size, samples);
    resizeGL(size.width(), size.height());

    plasmaTexture = makePlasmaTexture(PictureTextures::Mipmaps::None);
    pictures.uploadFirstCaption();
    setUpCaption();
    if (preparation == Preparation::InParts) {
        nextPart = Part::Rehearsal;
        return;
    }
    // Frames of the first scene around the parts, as a window shows them:
    // the driver makes the draws after each anew, and the first caption's
    // once it has its mipmaps. A thread asked to stop (a rehearsal whose
    // window has closed) stops between parts.
    paint();
    nextPart = Part::Pictures;
    while (nextPart != Part::Done && !QThread::currentThread()->isInterruptionRequested()) {
        prepareNextPart();
        paint();
    }
}

void SceneDirector::prepareNextPart()
{
    switch (nextPart) {
    case Part::Rehearsal:
        rehearsal = std::make_unique<SceneRehearsal>(QOpenGLContext::currentContext()->format(),
                                                     target.samples());
        rehearsal->start();
        break;
    case Part::Pictures:
        if (rehearsing())
            return;
        pictures.uploadTheRest();
        break;
    case Part::Target:
        warmUpTarget();
        break;
    case Part::SceneOne:
        warmUpScene(1);
        break;
    case Part::Resolve:
        warmUpResolve();
        break;
    case Part::SceneTwo:
        warmUpScene(2);
        break;
    case Part::SceneThree:
        warmUpScene(3);
        rehearsal.reset();
        break;
    case Part::NotStarted:
    case Part::Done:
        return;
    }
    nextPart = Part(int(nextPart) + 1);
}

bool SceneDirector::rehearsing() const
{
    return rehearsal && !rehearsal->isFinished();
}

void SceneDirector::resizeGL(int width, int height)
{
    const int h = qMax(height, 1);
    glViewport(0, 0, width, h);
    setPerspective(width, h);
    target.resize(QSize(width, h));
}

// Leaves the model-view matrix selected but does not reset it.
void SceneDirector::setPerspective(int width, int height)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfView, double(width) / double(height), NearPlane, FarPlane);
    glMatrixMode(GL_MODELVIEW);
}

void SceneDirector::setUpCaption()
{
    dialog = new Object(owner);
    dialog->setLighting(false);
    dialog->setTextureUsage(true);
    dialog->setTextureId(pictures.texture(PictureTextures::FirstCaption));
    dialog->translate(FirstCaptionPosition.x, FirstCaptionPosition.y, FirstCaptionPosition.z);
    dialog->rotate(FirstCaptionTilt, ViewAxis.x, ViewAxis.y, ViewAxis.z);
}

// The later scenes show pictures bound after the first frame, so the
// timeline waits for them before its first change.
bool SceneDirector::changeDue(qint64 lead) const
{
    return laterScenesPrepared() && !ended && clock->elapsed() + lead >= SceneEnds[scene];
}

bool SceneDirector::changeWaits(qint64 lead) const
{
    return !laterScenesPrepared() && !ended && clock->elapsed() + lead >= SceneEnds[scene];
}

qint64 SceneDirector::msecsToChange(qint64 lead) const
{
    return qMax<qint64>(SceneEnds[scene] - lead - clock->elapsed(), 0);
}

bool SceneDirector::changeScene()
{
    switch (scene) {
    case 0:
        enterSceneOne();
        return true;
    case 1:
        enterSceneTwo();
        return true;
    case 2:
        enterSceneThree();
        return true;
    default:
        ended = true;
        return false;
    }
}

bool SceneDirector::finished() const
{
    return ended;
}

bool SceneDirector::laterScenesPrepared() const
{
    return nextPart == Part::Done;
}

bool SceneDirector::inLastScene() const
{
    return scene == SceneCount - 1;
}

void SceneDirector::enterSceneOne()
{
    scene = 1;
    plasma->stop();
    placeCaption(dialog, pictures, SceneOneCaption);
    placeCubes(cubes, SceneOneCubes);
}

void SceneDirector::enterSceneTwo()
{
    scene = 2;
    placeCubes(cubes, SceneTwoCubes);
    placeCaption(dialog, pictures, SceneTwoCaption);
    setLight(LightAmbient, LightDiffuse, LightAboveAhead);
    setCubesLit(true);
}

void SceneDirector::enterSceneThree()
{
    scene = 3;
    plasma->start(CreditsPlasmaInterval);
    glDeleteTextures(1, &plasmaTexture);
    plasmaTexture = makePlasmaTexture(PictureTextures::Mipmaps::Made);
    placeCaption(dialog, pictures, Credits);
    placeCubes(cubes, SceneThreeCubes);
    moveLight(LightAboveBehind);
}

void SceneDirector::setLight(const GLfloat ambient[4], const GLfloat diffuse[4],
                             const GLfloat position[4])
{
    std::copy(ambient, ambient + 4, lightAmbient);
    std::copy(diffuse, diffuse + 4, lightDiffuse);
    std::copy(position, position + 4, lightPosition);
    switchLightOn(lightAmbient, lightDiffuse, lightPosition);
}

void SceneDirector::moveLight(const GLfloat position[4])
{
    std::copy(position, position + 4, lightPosition);
    glLightfv(GL_LIGHT1, GL_POSITION, lightPosition);
}

void SceneDirector::step()
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

void SceneDirector::paint()
{
    paintScene(scene);
}

// The cubes draw with samples, smoothing their edges, and are resolved into
// the output; the plasma, a quad that covers whole pixels, draws straight
// into it unless every scene is smoothed.
void SceneDirector::paintScene(int shown)
{
    if (shown == 0 && smoothing == Smoothing::CubeScenes) {
        target.bindOutput();
        paintPlasmaScene();
        return;
    }
    target.bind();
    if (shown == 0)
        paintPlasmaScene();
    else
        paintSceneWithEdges(shown);
    target.resolve();
}

void SceneDirector::paintSceneWithEdges(int shown)
{
    clearBuffers();
    glLoadIdentity();

    switch (shown) {
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
// costs more than all three buffers cleared outright (18 ms a frame more at
// 1920 x 1080).
void SceneDirector::clearBuffers()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

// The target's memory comes from the system as it is first written (66 MB
// at 1920 x 1080): its first clear is a part of its own.
void SceneDirector::warmUpTarget()
{
    target.bind();
    clearBuffers();
    target.bindOutput();
    glFinish();
}

// The driver makes what draws each mix of lighting, texturing, colour
// material and blending the first time it is drawn, and makes it again for
// another order of the draws within a frame: llvmpipe compiles shaders then,
// for 100 ms and more with an empty cache; and the first resolve of the
// samples is made the same way. So every later scene's frame is drawn here
// twice, the first after a frame of the scene before, each flushed as a swap
// would, into a corner of the frames' target, and a corner of it is resolved
// into the output, which the next frame covers; no cut then waits for the
// driver. Where the objects stand plays no part in it; what the later scenes
// light is lit only for the while.
void SceneDirector::warmUpScene(int shown)
{
    const CornerViewport corner;
    const bool lit = shown >= LitFrom;
    if (lit) {
        switchLightOn(LightAmbient, LightDiffuse, LightAboveAhead);
        setCubesLit(true);
    }
    target.bind();
    for (int frame = 0; frame < 2; ++frame) {
        paintSceneWithEdges(shown);
        glFlush();
    }
    target.bindOutput();
    if (lit) {
        glDisable(GL_LIGHT1);
        setCubesLit(false);
    }
    glFinish();
}

void SceneDirector::warmUpResolve()
{
    target.resolve(WarmUpCorner);
    glFinish();
}

void SceneDirector::setCubesLit(bool lit)
{
    for (Cube *cube : cubes)
        cube->setLighting(lit);
}

// The plasma covers every pixel and nothing in its scene reads depth: its
// frame needs no clear.
void SceneDirector::paintPlasmaScene()
{
    glLoadIdentity();
    paintPlasma();
    paintCaption();
}

// The plasma fills the output in a unit orthographic projection, whatever
// its shape, over whatever was there, without the depth test, which would
// cost a software renderer as much as the plasma. It relies on the state
// kept between frames: texturing on, lighting off, the current colour white.
void SceneDirector::paintPlasma()
{
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glBindTexture(GL_TEXTURE_2D, plasmaTexture);
    Object::clampTextureToEdge();
    uploadPlasma(plasmaQuadMipmaps());

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

// A target at least as large as the plasma's image only ever magnifies it,
// and the mipmaps that a smaller one needs are neither made nor read.
PictureTextures::Mipmaps SceneDirector::plasmaQuadMipmaps()
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const bool minified = viewport[2] < PlasmaSize.width() || viewport[3] < PlasmaSize.height();
    return minified ? PictureTextures::Mipmaps::Made : PictureTextures::Mipmaps::None;
}

// The plasma's texture as GL makes an image's: bottom row first, in RGBA.
GLuint SceneDirector::makePlasmaTexture(PictureTextures::Mipmaps mipmaps) const
{
    return PictureTextures::makeTexture(
        PictureTextures::levels(PictureTextures::texels(*plasma->getImage()), mipmaps));
}

// Re-specifies the bound texture with the plasma's current image, its bytes
// as they lie: red and blue arrive exchanged, and the top row at t = 0.
void SceneDirector::uploadPlasma(PictureTextures::Mipmaps mipmaps) const
{
    PictureTextures::filterLinearly(mipmaps);
    PictureTextures::upload(PictureTextures::levels(*plasma->getImage(), mipmaps));
}

void SceneDirector::paintOneCube()
{
    cubes[0]->draw();
}

// The first two cubes show the default material under the light, the third
// its own face colours; the default material is put back afterwards.
void SceneDirector::paintLitCubes()
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

// The plasma's image changes between frames, not between cubes, so one
// upload serves all four. Each upload of a texture that a draw of the frame
// has used makes llvmpipe finish that draw first.
void SceneDirector::paintTexturedCubes()
{
    glBindTexture(GL_TEXTURE_2D, plasmaTexture);
    uploadPlasma(PictureTextures::Mipmaps::Made);
    for (Cube *cube : cubes)
        cube->drawTextured(plasmaTexture, nullptr);
}

// Drawn last in every scene: the caption's draw turns the depth test off, so
// it lies over everything, and its transparent ground lets the scene through.
// Most of a caption's quad is that ground, which blending would leave as it
// was: the alpha test drops it before the renderer blends. The caption blends
// into the picture's colours but leaves its alpha at 1: where the window has
// an alpha channel, the compositor shows nothing through it.
void SceneDirector::paintCaption()
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

// The clock's milliseconds are read as if the wall clock had shown the start
// of 1970 when the timeline began.
void SceneDirector::renderPlasmaAtClock()
{
    const qint64 msecs = clock->elapsed();
    plasma->paintFrame(Plasma::timeBase(quint32(msecs / 1000), int(msecs % 1000)));
}
