#include "cube.h"
#include "glfixture.h"
#include "plasma.h"
#include "testaccess.h"

#include <QtTest>

#include <memory>

namespace {
const QSize WindowSize(64, 64);
// The cube (corners at +-1) seen in an orthographic view of -2 .. 2: 16
// pixels per unit, the face towards the viewer covering pixels 16 to 48.
const double ViewHalfWidth = 2;
const int Centre = 32;
const int QuadrantLow = 24;
const int QuadrantHigh = 40;
const QSize PlasmaSize(256, 256);

const QColor Background(0, 0, 0);

QColor faceColour(double green)
{
    return QColor::fromRgbF(1, green, 0);
}

QColor swapRedBlue(const QColor &colour)
{
    return QColor(colour.blue(), colour.green(), colour.red(), colour.alpha());
}

// The image quadrants in the order top left, top right, bottom left, bottom
// right, each a colour that shows whether red and blue were exchanged.
const QColor ImageQuadrants[] = { Qt::red, Qt::green, Qt::blue, Qt::white };
enum Quadrant { TopLeft, TopRight, BottomLeft, BottomRight };

// Each face turned towards the viewer (+z) by one rotation of the cube: its
// flat colour (by green; red 1, blue 0), the flat colour of the face opposite,
// and which image quadrant the textured cube shows in each screen quadrant.
struct FaceView
{
    const char *name;
    float angle;
    QVector3D axis;
    double green;
    double oppositeGreen;
    Quadrant lowerLeft, lowerRight, upperLeft, upperRight;
};
const FaceView FaceViews[] = {
    { "front", 0, { 0, 0, 1 }, 0.85, 0.8, TopLeft, TopRight, BottomLeft, BottomRight },
    { "back", 180, { 0, 1, 0 }, 0.8, 0.85, TopLeft, TopRight, BottomLeft, BottomRight },
    { "top", 90, { 1, 0, 0 }, 0.95, 0.9, TopLeft, TopRight, BottomLeft, BottomRight },
    { "bottom", -90, { 1, 0, 0 }, 0.9, 0.95, BottomRight, BottomLeft, TopRight, TopLeft },
    { "left", 90, { 0, 1, 0 }, 0.75, 0.7, TopLeft, TopRight, BottomLeft, BottomRight },
    { "right", -90, { 0, 1, 0 }, 0.7, 0.75, TopLeft, TopRight, BottomLeft, BottomRight },
};
const double FaceGreens[] = { 0.95, 0.9, 0.85, 0.8, 0.75, 0.7 };

void turnToFace(Cube &cube, const FaceView &face)
{
    cube.translate(0, 0, 0);
    cube.rotate(face.angle, face.axis.x(), face.axis.y(), face.axis.z());
}

bool isFaceColour(const QColor &colour)
{
    for (double green : FaceGreens) {
        const QColor face = faceColour(green);
        if (qAbs(colour.red() - face.red()) <= GLFixture::DefaultTolerance &&
            qAbs(colour.green() - face.green()) <= GLFixture::DefaultTolerance &&
            qAbs(colour.blue() - face.blue()) <= GLFixture::DefaultTolerance)
            return true;
    }
    return false;
}
} // namespace

class TestCube : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void isAnObject();

    void drawLeavesState_data();
    void drawLeavesState();
    void drawShowsFaceColoursFromOutside_data();
    void drawShowsFaceColoursFromOutside();
    void spunCubeShowsAFace_data();
    void spunCubeShowsAFace();
    void drawIgnoresAspectRatio();

    void drawTexturedLeavesState_data();
    void drawTexturedLeavesState();
    void drawTexturedMapsWholeImageOnEachFace_data();
    void drawTexturedMapsWholeImageOnEachFace();
    void drawTexturedWithTexturingOffUploadsButDrawsPlain();
    void drawDynamicallyTexturedDrawsFlatUnitQuad();

private:
    void addFaceRotations();

    std::unique_ptr<GLFixture> gl;
    std::unique_ptr<Plasma> plasma;
};

void TestCube::initTestCase()
{
    gl.reset(new GLFixture(WindowSize));
    plasma.reset(new Plasma(PlasmaSize, 256, nullptr));
    plasma->stop();
}

void TestCube::init()
{
    gl->resetState();
    gl->setOrtho(-ViewHalfWidth, ViewHalfWidth, -ViewHalfWidth, ViewHalfWidth);
    plasma->updatePlasma();
}

void TestCube::cleanupTestCase()
{
    plasma.reset();
    gl.reset();
}

void TestCube::isAnObject()
{
    QObject parent;
    Cube *cube = new Cube(&parent);
    QCOMPARE(cube->parent(), &parent);
    QCOMPARE(cube->metaObject()->className(), "Object");
    QVERIFY(qobject_cast<Object *>(cube));
    QCOMPARE(TestAccess::angle(*cube), 0.0f);
    QCOMPARE(TestAccess::aspectRatio(*cube), QSize(1, 1));
    QCOMPARE(TestAccess::lighting(*cube), false);
}

void TestCube::drawLeavesState_data()
{
    QTest::addColumn<bool>("lighting");
    QTest::addColumn<bool>("before");

    QTest::newRow("unlit, GL state off before") << false << false;
    QTest::newRow("unlit, GL state on before") << false << true;
    QTest::newRow("lit, GL state off before") << true << false;
    QTest::newRow("lit, GL state on before") << true << true;
}

void TestCube::drawLeavesState()
{
    QFETCH(bool, lighting);
    QFETCH(bool, before);

    if (before) {
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_COLOR_MATERIAL);
        glEnable(GL_DEPTH_TEST);
    }
    if (!lighting)
        glEnable(GL_LIGHTING);
    glTranslatef(0.5f, 0, 0);
    const QMatrix4x4 modelview = GLFixture::modelviewMatrix();

    Cube cube(nullptr);
    cube.translate(0, 0, 0);
    cube.rotate(-3, 0.2f, 1, 0.2f);
    cube.setLighting(lighting);
    cube.draw();

    QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
    QVERIFY(GLFixture::isEnabled(GL_TEXTURE_2D));
    QVERIFY(!GLFixture::isEnabled(GL_COLOR_MATERIAL));
    QCOMPARE(GLFixture::isEnabled(GL_LIGHTING), lighting);
    QCOMPARE(GLFixture::isEnabled(GL_DEPTH_TEST), before);
    QCOMPARE(GLFixture::currentColour(), QVector4D(1, 0.7f, 0, 1));
    QCOMPARE(GLFixture::currentNormal(), QVector3D(1, 0, 0));
    QCOMPARE(GLFixture::modelviewMatrix(), modelview);
}

void TestCube::addFaceRotations()
{
    QTest::addColumn<int>("face");
    for (int i = 0; i < int(std::size(FaceViews)); ++i)
        QTest::newRow(FaceViews[i].name) << i;
}

void TestCube::drawShowsFaceColoursFromOutside_data()
{
    addFaceRotations();
}

void TestCube::drawShowsFaceColoursFromOutside()
{
    QFETCH(int, face);
    const FaceView &view = FaceViews[face];

    // Texturing on with a blue texture bound: the faces still show flat.
    const GLuint texture = GLFixture::makeTexture(QSize(4, 4), Qt::blue);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    Cube cube(nullptr);
    turnToFace(cube, view);
    cube.draw();

    const QColor colour = faceColour(view.green);
    GL_COMPARE_PIXEL(*gl, Centre, Centre, colour);
    GL_COMPARE_PIXEL(*gl, QuadrantLow, QuadrantLow, colour);
    GL_COMPARE_PIXEL(*gl, QuadrantHigh, QuadrantHigh, colour);
    GL_COMPARE_PIXEL(*gl, 8, 8, Background);

    // Culling the faces that look at the viewer leaves the opposite face,
    // seen from inside.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glCullFace(GL_FRONT);
    cube.draw();
    GL_COMPARE_PIXEL(*gl, Centre, Centre, faceColour(view.oppositeGreen));
    glDeleteTextures(1, &texture);
}

void TestCube::spunCubeShowsAFace_data()
{
    QTest::addColumn<int>("steps");
    for (int steps : { 1, 10, 37, 64, 100, 250 })
        QTest::newRow(qPrintable(QStringLiteral("%1 steps").arg(steps))) << steps;
}

void TestCube::spunCubeShowsAFace()
{
    QFETCH(int, steps);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    Cube cube(nullptr);
    cube.translate(0, 0, 0);
    for (int i = 0; i < steps; ++i)
        cube.rotate(-3, 0.2f, 1, 0.2f);
    cube.draw();

    const QColor centre = GLFixture::pixel(Centre, Centre);
    if (!isFaceColour(centre)) {
        const QString path = GLFixture::saveFailure(gl->grab());
        QFAIL(qPrintable(QStringLiteral("centre shows %1 instead of a face colour; frame in %2")
                             .arg(centre.name(), path)));
    }
}

void TestCube::drawIgnoresAspectRatio()
{
    Cube plain(nullptr);
    Cube stretched(nullptr);
    for (Cube *cube : { &plain, &stretched }) {
        cube->translate(0.25f, 0, 0);
        cube->rotate(-33, 0.2f, 1, 0.2f);
    }
    stretched.setAspectRatio(QSize(8, 1));
    const GLuint texture = GLFixture::makeTexture(QSize(4, 4), Qt::black);
    glEnable(GL_DEPTH_TEST);

    plain.draw();
    const QImage plainFlat = gl->grab();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    stretched.draw();
    QCOMPARE(gl->grab(), plainFlat);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    plain.drawTextured(texture, plasma.get());
    const QImage plainTextured = gl->grab();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    stretched.drawTextured(texture, plasma.get());
    QCOMPARE(gl->grab(), plainTextured);
    glDeleteTextures(1, &texture);
}

void TestCube::drawTexturedLeavesState_data()
{
    QTest::addColumn<bool>("lighting");
    QTest::addColumn<bool>("texturing");
    QTest::addColumn<bool>("depth");
    QTest::addColumn<bool>("colourMaterial");

    QTest::newRow("unlit, all off") << false << false << false << false;
    QTest::newRow("unlit, all on") << false << true << true << true;
    QTest::newRow("lit, all off") << true << false << false << false;
    QTest::newRow("lit, all on") << true << true << true << true;
    QTest::newRow("lit, texturing only") << true << true << false << false;
    QTest::newRow("unlit, depth and colour material") << false << false << true << true;
}

void TestCube::drawTexturedLeavesState()
{
    QFETCH(bool, lighting);
    QFETCH(bool, texturing);
    QFETCH(bool, depth);
    QFETCH(bool, colourMaterial);

    const GLuint texture = GLFixture::makeTexture(QSize(4, 4), Qt::black);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (texturing)
        glEnable(GL_TEXTURE_2D);
    if (depth)
        glEnable(GL_DEPTH_TEST);
    if (colourMaterial)
        glEnable(GL_COLOR_MATERIAL);
    if (!lighting)
        glEnable(GL_LIGHTING);
    glColor4f(0.2f, 0.4f, 0.6f, 0.5f);
    const QMatrix4x4 modelview = GLFixture::modelviewMatrix();

    Cube cube(nullptr);
    cube.translate(0.5f, 0, 0);
    cube.rotate(-3, 0.2f, 1, 0.2f);
    cube.setLighting(lighting);
    cube.drawTextured(texture, plasma.get());

    QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
    QCOMPARE(GLFixture::isEnabled(GL_LIGHTING), lighting);
    QCOMPARE(GLFixture::isEnabled(GL_TEXTURE_2D), texturing);
    QCOMPARE(GLFixture::isEnabled(GL_DEPTH_TEST), depth);
    QCOMPARE(GLFixture::isEnabled(GL_COLOR_MATERIAL), colourMaterial);
    QCOMPARE(GLFixture::currentColour(), QVector4D(0.2f, 0.4f, 0.6f, 0.5f));
    QCOMPARE(GLFixture::currentNormal(), QVector3D(-1, 0, 0));
    QCOMPARE(GLFixture::modelviewMatrix(), modelview);
    QCOMPARE(GLFixture::boundTexture2D(), texture);
    QCOMPARE(GLFixture::textureParameter(texture, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    QCOMPARE(GLFixture::textureParameter(texture, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    QVERIFY(GLFixture::textureHoldsBytesOf(texture, *plasma->getImage()));
    glDeleteTextures(1, &texture);
}

void TestCube::drawTexturedMapsWholeImageOnEachFace_data()
{
    addFaceRotations();
}

void TestCube::drawTexturedMapsWholeImageOnEachFace()
{
    QFETCH(int, face);
    const FaceView &view = FaceViews[face];

    *plasma->getImage() =
        GLFixture::quadrantImage(PlasmaSize, ImageQuadrants[TopLeft], ImageQuadrants[TopRight],
                                 ImageQuadrants[BottomLeft], ImageQuadrants[BottomRight]);
    const GLuint texture = GLFixture::makeTexture(QSize(4, 4), Qt::black);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    Cube cube(nullptr);
    turnToFace(cube, view);
    cube.drawTextured(texture, plasma.get());

    // Red and blue arrive exchanged.
    GL_COMPARE_PIXEL(*gl, QuadrantLow, QuadrantLow, swapRedBlue(ImageQuadrants[view.lowerLeft]));
    GL_COMPARE_PIXEL(*gl, QuadrantHigh, QuadrantLow, swapRedBlue(ImageQuadrants[view.lowerRight]));
    GL_COMPARE_PIXEL(*gl, QuadrantLow, QuadrantHigh, swapRedBlue(ImageQuadrants[view.upperLeft]));
    GL_COMPARE_PIXEL(*gl, QuadrantHigh, QuadrantHigh, swapRedBlue(ImageQuadrants[view.upperRight]));
    GL_COMPARE_PIXEL(*gl, 8, 8, Background);
    glDeleteTextures(1, &texture);
}

void TestCube::drawTexturedWithTexturingOffUploadsButDrawsPlain()
{
    const GLuint texture = GLFixture::makeTexture(QSize(4, 4), Qt::black);
    glColor3f(0.2f, 0.4f, 0.6f);

    Cube cube(nullptr);
    cube.translate(0, 0, 0);
    cube.rotate(0, 0, 0, 1);
    cube.drawTextured(texture, plasma.get());

    QVERIFY(!GLFixture::isEnabled(GL_TEXTURE_2D));
    QVERIFY(GLFixture::textureHoldsBytesOf(texture, *plasma->getImage()));
    GL_COMPARE_PIXEL(*gl, Centre, Centre, QColor(51, 102, 153));
    glDeleteTextures(1, &texture);
}

void TestCube::drawDynamicallyTexturedDrawsFlatUnitQuad()
{
    *plasma->getImage() =
        GLFixture::quadrantImage(PlasmaSize, ImageQuadrants[TopLeft], ImageQuadrants[TopRight],
                                 ImageQuadrants[BottomLeft], ImageQuadrants[BottomRight]);
    const GLuint texture = GLFixture::makeTexture(QSize(4, 4), Qt::black);

    Cube cube(nullptr);
    cube.translate(0, 0, 0);
    cube.rotate(0, 0, 0, 1);
    cube.drawDynamicallyTextured(texture, plasma.get());

    // The unit quad covers pixels 32 to 48, upright; a cube would reach 16.
    GL_COMPARE_PIXEL(*gl, 36, 44, swapRedBlue(ImageQuadrants[TopLeft]));
    GL_COMPARE_PIXEL(*gl, 44, 36, swapRedBlue(ImageQuadrants[BottomRight]));
    GL_COMPARE_PIXEL(*gl, QuadrantLow, QuadrantLow, Background);
    GL_COMPARE_PIXEL(*gl, QuadrantLow, QuadrantHigh, Background);
    glDeleteTextures(1, &texture);
}

QTEST_MAIN(TestCube)
#include "tst_cube.moc"
