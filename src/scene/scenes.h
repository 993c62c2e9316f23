#ifndef SCENES_H
#define SCENES_H

#include "picturetextures.h"
#include "plasmatexture.h"

#include <qopengl.h>

class Cube;
class Object;
class Plasma;
class QObject;

// What the demo's four scenes show: the plasma under the tilted first
// caption, one spinning cube, three lit cubes, and four cubes textured with
// the live plasma while the credits rise. Places the objects and the light
// on entry into each scene, animates them a step per frame and draws a
// frame of any scene into whatever framebuffer is bound. The scene elements
// are children of the owner given at construction. Everything but the
// construction with the GL context current.
class Scenes
{
public:
    explicit Scenes(QObject *owner);
    // Scenes that show pictures decoded already (see decodedPictures).
    Scenes(QObject *owner, const QVector<PictureTextures::Levels> &decoded);
    ~Scenes();
    Scenes(const Scenes &) = delete;
    Scenes &operator=(const Scenes &) = delete;

    // Before the first frame: the plasma, the first caption and the GL state
    // that every frame relies on.
    void setUp();
    // The viewport and the perspective for a framebuffer of that size.
    void resize(int width, int height);
    // The pictures of the scenes after the first.
    void uploadLaterPictures();
    // The pictures as decoded, from set-up until the later ones are uploaded.
    QVector<PictureTextures::Levels> decodedPictures() const;

    // Places the objects and the light for a scene after the first.
    void enter(int scene);
    // One frame's animation of a scene: the cubes turn, the credits rise.
    void step(int scene);
    // A frame of a scene as its objects stand, whatever the scene entered.
    void paint(int scene);

    // The light of the lit scenes, on the cubes too, or off.
    void switchLight(bool on);
    // The plasma's colour cycle at a time on the timeline, from a fixed
    // start, instead of at the wall clock's on the plasma's own timer.
    void renderPlasmaAt(qint64 msecs);

    // Colour, depth and stencil, as every cube scene is cleared.
    static void clearBuffers();

private:
    friend struct TestAccess;

    void makeCubes();
    void setUpCaption();
    void enterSceneOne();
    void enterSceneTwo();
    void enterSceneThree();
    void setLight(const GLfloat position[4]);
    void setCubesLit(bool lit);

    void paintPlasmaScene();
    void paintPlasma();
    void paintOneCube();
    void paintLitCubes();
    void paintTexturedCubes();
    void paintCaption();

    QObject *owner;
    PictureTextures pictures;
    PlasmaTexture plasmaTexture;
    GLfloat lightAmbient[4] = {};
    GLfloat lightDiffuse[4] = {};
    GLfloat lightPosition[4] = {};
    Plasma *plasma = nullptr;
    Cube *cubes[4] = {};
    Object *dialog = nullptr;
};

#endif // SCENES_H
