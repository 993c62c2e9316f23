#include "debuglog.h"
#include "glfixture.h"
#include "object.h"
#include "plasma.h"
#include "testaccess.h"

#include <QtTest>

#include <memory>

namespace {
const QSize WindowSize(64, 64);
// Scene units shown across the window in the flat tests: 4 pixels per unit.
const double OrthoUnits = 16;
const QSize PlasmaSize(256, 256);

const QColor Background(0, 0, 0);
const QColor White(255, 255, 255);

// The window pixel whose centre lies at the given scene point.
QPoint pixelAt(QPointF unit)
{
    const double pixelsPerUnit = WindowSize.width() / OrthoUnits;
    return QPoint(int(unit.x() * pixelsPerUnit), int(unit.y() * pixelsPerUnit));
}

QColor swapRedBlue(const QColor &colour)
{
    return QColor(colour.blue(), colour.green(), colour.red(), colour.alpha());
}

QStringList messages;
QtMsgType lastType;

void collectMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    lastType = type;
    messages << message;
}
} // namespace

class TestObject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void constructionValues();
    void settersStoreOnly();
    void rotateAccumulates();
    void translateReplacesMoveAdds();
    void resetKeepsAxisAspectAndFlags();

    void drawLeavesState_data();
    void drawLeavesState();
    void drawCoversAspect_data();
    void drawCoversAspect();
    void drawTranslatesThenRotates_data();
    void drawTranslatesThenRotates();
    void newObjectDrawsWhiteUnlitUntexturedQuad();
    void drawIgnoresDepth();
    void drawTexturesWithRowZeroAtTheBottom();
    void drawUploadsOnlyWhenDynamic_data();
    void drawUploadsOnlyWhenDynamic();

    void drawDynamicallyTexturedLeavesState_data();
    void drawDynamicallyTexturedLeavesState();
    void drawDynamicallyTexturedShowsImageUpright();

    void debugWritesPosition_data();
    void debugWritesPosition();
    void debugLogTextEndsWithBlank();

private:
    std::unique_ptr<GLFixture> gl;
    std::unique_ptr<Plasma> plasma;
};

void TestObject::initTestCase()
{
    gl.reset(new GLFixture(WindowSize));
    plasma.reset(new Plasma(PlasmaSize, 256, nullptr));
    plasma->stop();
}

void TestObject::init()
{
    gl->resetState();
    gl->setOrtho(0, OrthoUnits, 0, OrthoUnits);
}

void TestObject::cleanupTestCase()
{
    plasma.reset();
    gl.reset();
}

void TestObject::constructionValues()
{
    QObject parent;
    Object *object = new Object(&parent);
    QCOMPARE(object->parent(), &parent);
    QCOMPARE(object->metaObject()->className(), "Object");
    QCOMPARE(TestAccess::lighting(*object), false);
    QCOMPARE(TestAccess::textureUsage(*object), false);
    QCOMPARE(TestAccess::dynamicTextureUsage(*object), false);
    QCOMPARE(TestAccess::textureId(*object), GLuint(0));
    QVERIFY(!TestAccess::dynamicTexture(*object));
    QCOMPARE(TestAccess::position(*object), QVector3D(0, 0, 0));
    QCOMPARE(TestAccess::angle(*object), 0.0f);
    QCOMPARE(TestAccess::axis(*object), QVector3D(0, 0, 0));
    QCOMPARE(TestAccess::aspectRatio(*object), QSize(1, 1));
}

void TestObject::settersStoreOnly()
{
    Object object(nullptr);
    object.translate(1, 2, 3);
    object.rotate(4, 0, 1, 0);

    object.setLighting(true);
    object.setTextureUsage(true);
    object.setDynamicTextureUsage(true);
    object.setTextureId(7);
    object.setDynamicTexture(plasma.get());
    object.setAspectRatio(QSize(8, 1));

    QCOMPARE(TestAccess::lighting(object), true);
    QCOMPARE(TestAccess::textureUsage(object), true);
    QCOMPARE(TestAccess::dynamicTextureUsage(object), true);
    QCOMPARE(TestAccess::textureId(object), GLuint(7));
    QCOMPARE(TestAccess::dynamicTexture(object), plasma.get());
    QCOMPARE(TestAccess::aspectRatio(object), QSize(8, 1));
    QCOMPARE(TestAccess::position(object), QVector3D(1, 2, 3));
    QCOMPARE(TestAccess::angle(object), 4.0f);
    QCOMPARE(TestAccess::axis(object), QVector3D(0, 1, 0));
}

void TestObject::rotateAccumulates()
{
    Object object(nullptr);
    object.rotate(-3, 0.2f, 1, 0.2f);
    object.rotate(-3, 0.2f, 1, 0.2f);
    object.rotate(-3, 0, 0, 1);
    QCOMPARE(TestAccess::angle(object), -9.0f);
    QCOMPARE(TestAccess::axis(object), QVector3D(0, 0, 1));

    // Never wrapped into one turn.
    for (int i = 0; i < 200; ++i)
        object.rotate(3, 0, 0, 1);
    QCOMPARE(TestAccess::angle(object), 591.0f);
}

void TestObject::translateReplacesMoveAdds()
{
    Object object(nullptr);
    object.translate(1, 2, 3);
    object.move(0.5f, -1, 2);
    QCOMPARE(TestAccess::position(object), QVector3D(1.5f, 1, 5));
    object.move(0, 0.25f, 0);
    QCOMPARE(TestAccess::position(object), QVector3D(1.5f, 1.25f, 5));
    object.translate(-4, 0, 6);
    QCOMPARE(TestAccess::position(object), QVector3D(-4, 0, 6));
}

void TestObject::resetKeepsAxisAspectAndFlags()
{
    Object object(nullptr);
    object.translate(1, 2, 3);
    object.rotate(10, 0, 0, 1);
    object.setAspectRatio(QSize(8, 1));
    object.setLighting(true);
    object.setTextureUsage(true);
    object.setTextureId(5);

    object.reset();

    QCOMPARE(TestAccess::position(object), QVector3D(0, 0, 0));
    QCOMPARE(TestAccess::angle(object), 0.0f);
    QCOMPARE(TestAccess::axis(object), QVector3D(0, 0, 1));
    QCOMPARE(TestAccess::aspectRatio(object), QSize(8, 1));
    QCOMPARE(TestAccess::lighting(object), true);
    QCOMPARE(TestAccess::textureUsage(object), true);
    QCOMPARE(TestAccess::textureId(object), GLuint(5));

    // Drawn unrotated at the origin again: 8 x 1 along the x axis.
    object.setLighting(false);
    object.setTextureUsage(false);
    object.draw();
    GL_COMPARE_PIXEL(*gl, pixelAt({ 7.5, 0.5 }).x(), pixelAt({ 7.5, 0.5 }).y(), White);
    GL_COMPARE_PIXEL(*gl, pixelAt({ 0.5, 1.5 }).x(), pixelAt({ 0.5, 1.5 }).y(), Background);
}

void TestObject::drawLeavesState_data()
{
    QTest::addColumn<bool>("lighting");
    QTest::addColumn<bool>("textureUsage");
    QTest::addColumn<bool>("depthBefore");
    QTest::addColumn<bool>("texturingBefore");

    for (bool lighting : { false, true }) {
        for (bool textureUsage : { false, true }) {
            for (bool before : { false, true }) {
                const QByteArray tag = QByteArray(lighting ? "lit" : "unlit") +
                    (textureUsage ? ", textured" : ", plain") +
                    (before ? ", GL state on before" : ", GL state off before");
                QTest::newRow(tag.constData()) << lighting << textureUsage << before << before;
            }
        }
    }
}

void TestObject::drawLeavesState()
{
    QFETCH(bool, lighting);
    QFETCH(bool, textureUsage);
    QFETCH(bool, depthBefore);
    QFETCH(bool, texturingBefore);

    const GLuint texture = GLFixture::makeTexture(QSize(4, 4), Qt::red);
    const GLuint other = GLFixture::makeTexture(QSize(4, 4), Qt::green);
    if (depthBefore)
        glEnable(GL_DEPTH_TEST);
    if (texturingBefore)
        glEnable(GL_TEXTURE_2D);
    if (!lighting)
        glEnable(GL_LIGHTING);
    glColor4f(0.2f, 0.4f, 0.6f, 0.5f);
    glTranslatef(1, 2, 3);
    const QMatrix4x4 modelview = GLFixture::modelviewMatrix();

    Object object(nullptr);
    object.translate(2, 2, 0);
    object.rotate(30, 0, 0, 1);
    object.setAspectRatio(QSize(3, 2));
    object.setLighting(lighting);
    object.setTextureUsage(textureUsage);
    object.setTextureId(texture);
    object.draw();

    QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
    QVERIFY(GLFixture::isEnabled(GL_DEPTH_TEST));
    QCOMPARE(GLFixture::isEnabled(GL_TEXTURE_2D), textureUsage);
    QCOMPARE(GLFixture::isEnabled(GL_LIGHTING), lighting);
    QCOMPARE(GLFixture::currentColour(), QVector4D(1, 1, 1, 1));
    QCOMPARE(GLFixture::modelviewMatrix(), modelview);
    if (textureUsage) {
        QCOMPARE(GLFixture::boundTexture2D(), texture);
        QCOMPARE(GLFixture::textureParameter(texture, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
        QCOMPARE(GLFixture::textureParameter(texture, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    }
    QCOMPARE(GLFixture::textureParameter(other, GL_TEXTURE_WRAP_S), GL_REPEAT);
    glDeleteTextures(1, &texture);
    glDeleteTextures(1, &other);
}

void TestObject::drawCoversAspect_data()
{
    QTest::addColumn<QSize>("aspectRatio");
    QTest::addColumn<QPointF>("position");
    QTest::addColumn<QVector<QPointF>>("inside");
    QTest::addColumn<QVector<QPointF>>("outside");

    QTest::newRow("1 x 1") << QSize(1, 1) << QPointF(2, 3)
                           << QVector<QPointF> { { 2.2, 3.2 }, { 2.8, 3.8 } }
                           << QVector<QPointF> { { 3.2, 3.5 }, { 2.5, 4.2 }, { 1.8, 3.5 } };
    QTest::newRow("8 x 1") << QSize(8, 1) << QPointF(2, 3)
                           << QVector<QPointF> { { 2.2, 3.2 }, { 9.8, 3.8 }, { 6, 3.5 } }
                           << QVector<QPointF> { { 10.2, 3.5 }, { 2.5, 4.2 }, { 9.5, 2.8 } };
    QTest::newRow("1 x 4") << QSize(1, 4) << QPointF(2, 3)
                           << QVector<QPointF> { { 2.2, 3.2 }, { 2.8, 6.8 } }
                           << QVector<QPointF> { { 2.5, 7.2 }, { 3.2, 6.5 }, { 2.5, 2.8 } };
    QTest::newRow("12 x 3") << QSize(12, 3) << QPointF(1, 1)
                            << QVector<QPointF> { { 1.2, 1.2 }, { 12.8, 3.8 } }
                            << QVector<QPointF> { { 13.2, 2 }, { 5, 4.2 } };
}

void TestObject::drawCoversAspect()
{
    QFETCH(QSize, aspectRatio);
    QFETCH(QPointF, position);
    QFETCH(QVector<QPointF>, inside);
    QFETCH(QVector<QPointF>, outside);

    Object object(nullptr);
    object.translate(position.x(), position.y(), 0);
    object.rotate(0, 0, 0, 1);
    object.setAspectRatio(aspectRatio);
    object.draw();

    for (QPointF point : inside)
        GL_COMPARE_PIXEL(*gl, pixelAt(point).x(), pixelAt(point).y(), White);
    for (QPointF point : outside)
        GL_COMPARE_PIXEL(*gl, pixelAt(point).x(), pixelAt(point).y(), Background);
}

void TestObject::drawTranslatesThenRotates_data()
{
    QTest::addColumn<float>("angle");
    QTest::addColumn<QVector3D>("axis");
    QTest::addColumn<QVector<QPointF>>("inside");
    QTest::addColumn<QVector<QPointF>>("outside");

    // A 2 x 1 quad at (8, 8), turned about its first corner.
    QTest::newRow("unrotated") << 0.0f << QVector3D(0, 0, 1) << QVector<QPointF> { { 9.5, 8.5 } }
                               << QVector<QPointF> { { 7.5, 9.5 }, { 8.5, 7.5 } };
    QTest::newRow("90 about z") << 90.0f << QVector3D(0, 0, 1)
                                << QVector<QPointF> { { 7.5, 8.5 }, { 7.5, 9.5 } }
                                << QVector<QPointF> { { 8.5, 8.5 }, { 9.5, 8.5 } };
    QTest::newRow("-90 about z") << -90.0f << QVector3D(0, 0, 1)
                                 << QVector<QPointF> { { 8.5, 7.5 }, { 8.5, 6.5 } }
                                 << QVector<QPointF> { { 9.5, 8.5 }, { 7.5, 7.5 } };
    QTest::newRow("180 about x") << 180.0f << QVector3D(1, 0, 0)
                                 << QVector<QPointF> { { 8.5, 7.5 }, { 9.5, 7.5 } }
                                 << QVector<QPointF> { { 8.5, 8.5 }, { 10.5, 7.5 } };
    QTest::newRow("axis not normalised")
        << 90.0f << QVector3D(0, 0, 5) << QVector<QPointF> { { 7.5, 9.5 } }
        << QVector<QPointF> { { 9.5, 8.5 } };
}

void TestObject::drawTranslatesThenRotates()
{
    QFETCH(float, angle);
    QFETCH(QVector3D, axis);
    QFETCH(QVector<QPointF>, inside);
    QFETCH(QVector<QPointF>, outside);

    Object object(nullptr);
    object.translate(8, 8, 0);
    object.rotate(angle, axis.x(), axis.y(), axis.z());
    object.setAspectRatio(QSize(2, 1));
    object.draw();

    for (QPointF point : inside)
        GL_COMPARE_PIXEL(*gl, pixelAt(point).x(), pixelAt(point).y(), White);
    for (QPointF point : outside)
        GL_COMPARE_PIXEL(*gl, pixelAt(point).x(), pixelAt(point).y(), Background);
}

void TestObject::newObjectDrawsWhiteUnlitUntexturedQuad()
{
    // Whatever the caller left on, a fresh object draws plain white.
    const GLuint texture = GLFixture::makeTexture(QSize(4, 4), Qt::red);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glColor3f(0, 0, 1);

    Object object(nullptr);
    object.translate(4, 4, 0);
    object.rotate(0, 0, 0, 1);
    object.draw();

    GL_COMPARE_PIXEL(*gl, pixelAt({ 4.5, 4.5 }).x(), pixelAt({ 4.5, 4.5 }).y(), White);
    GL_COMPARE_PIXEL(*gl, pixelAt({ 3.5, 4.5 }).x(), pixelAt({ 3.5, 4.5 }).y(), Background);
    GL_COMPARE_PIXEL(*gl, pixelAt({ 5.5, 4.5 }).x(), pixelAt({ 5.5, 4.5 }).y(), Background);
    glDeleteTextures(1, &texture);
}

void TestObject::drawIgnoresDepth()
{
    // A red square in front, then the overlay behind it: the overlay wins.
    glEnable(GL_DEPTH_TEST);
    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    glVertex3f(0, 0, 5);
    glVertex3f(4, 0, 5);
    glVertex3f(4, 4, 5);
    glVertex3f(0, 4, 5);
    glEnd();

    Object object(nullptr);
    object.translate(2, 2, -5);
    object.rotate(0, 0, 0, 1);
    object.setAspectRatio(QSize(4, 4));
    object.draw();

    GL_COMPARE_PIXEL(*gl, pixelAt({ 3, 3 }).x(), pixelAt({ 3, 3 }).y(), White);
    GL_COMPARE_PIXEL(*gl, pixelAt({ 5, 5 }).x(), pixelAt({ 5, 5 }).y(), White);
    GL_COMPARE_PIXEL(*gl, pixelAt({ 1, 1 }).x(), pixelAt({ 1, 1 }).y(), Qt::red);

    // Nor did it write depth: a red quad further back still covers it.
    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    glVertex3f(4.5f, 4.5f, -9);
    glVertex3f(5.5f, 4.5f, -9);
    glVertex3f(5.5f, 5.5f, -9);
    glVertex3f(4.5f, 5.5f, -9);
    glEnd();
    GL_COMPARE_PIXEL(*gl, pixelAt({ 5, 5 }).x(), pixelAt({ 5, 5 }).y(), Qt::red);
}

void TestObject::drawTexturesWithRowZeroAtTheBottom()
{
    // Texture row 0 (the first uploaded) is red on the left, green on the right.
    const QImage image =
        GLFixture::quadrantImage(QSize(2, 2), Qt::red, Qt::green, Qt::blue, Qt::white);
    const GLuint texture = GLFixture::makeTexture(image);

    Object object(nullptr);
    object.translate(4, 4, 0);
    object.rotate(0, 0, 0, 1);
    object.setAspectRatio(QSize(8, 8));
    object.setTextureUsage(true);
    object.setTextureId(texture);
    object.draw();

    GL_COMPARE_PIXEL(*gl, pixelAt({ 6, 6 }).x(), pixelAt({ 6, 6 }).y(), Qt::red);
    GL_COMPARE_PIXEL(*gl, pixelAt({ 10, 6 }).x(), pixelAt({ 10, 6 }).y(), Qt::green);
    GL_COMPARE_PIXEL(*gl, pixelAt({ 6, 10 }).x(), pixelAt({ 6, 10 }).y(), Qt::blue);
    GL_COMPARE_PIXEL(*gl, pixelAt({ 10, 10 }).x(), pixelAt({ 10, 10 }).y(), Qt::white);
    glDeleteTextures(1, &texture);
}

void TestObject::drawUploadsOnlyWhenDynamic_data()
{
    QTest::addColumn<bool>("textureUsage");
    QTest::addColumn<bool>("dynamicTextureUsage");
    QTest::addColumn<bool>("uploads");

    QTest::newRow("static texture") << true << false << false;
    QTest::newRow("dynamic texture") << true << true << true;
    QTest::newRow("dynamic without texture usage") << false << true << false;
}

void TestObject::drawUploadsOnlyWhenDynamic()
{
    QFETCH(bool, textureUsage);
    QFETCH(bool, dynamicTextureUsage);
    QFETCH(bool, uploads);

    const GLuint texture = GLFixture::makeTexture(QSize(4, 4), QColor(10, 20, 30));
    const QImage before = GLFixture::textureImage(texture);
    plasma->updatePlasma();

    Object object(nullptr);
    object.translate(0, 0, 0);
    object.rotate(0, 0, 0, 1);
    object.setTextureUsage(textureUsage);
    object.setDynamicTextureUsage(dynamicTextureUsage);
    object.setTextureId(texture);
    object.setDynamicTexture(plasma.get());
    object.draw();

    QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
    if (uploads) {
        QVERIFY(GLFixture::textureHoldsBytesOf(texture, *plasma->getImage()));
    } else {
        QCOMPARE(GLFixture::textureImage(texture), before);
    }
    glDeleteTextures(1, &texture);
}

void TestObject::drawDynamicallyTexturedLeavesState_data()
{
    QTest::addColumn<bool>("lighting");
    QTest::addColumn<bool>("depthBefore");

    QTest::newRow("unlit, depth test off") << false << false;
    QTest::newRow("unlit, depth test on") << false << true;
    QTest::newRow("lit, depth test off") << true << false;
    QTest::newRow("lit, depth test on") << true << true;
}

void TestObject::drawDynamicallyTexturedLeavesState()
{
    QFETCH(bool, lighting);
    QFETCH(bool, depthBefore);

    const GLuint texture = GLFixture::makeTexture(QSize(4, 4), Qt::red);
    const GLuint ownTexture = GLFixture::makeTexture(QSize(4, 4), Qt::green);
    const QImage ownBefore = GLFixture::textureImage(ownTexture);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (depthBefore)
        glEnable(GL_DEPTH_TEST);
    if (!lighting)
        glEnable(GL_LIGHTING);
    glColor4f(0.2f, 0.4f, 0.6f, 0.5f);
    glNormal3f(0, 1, 0);
    const QMatrix4x4 modelview = GLFixture::modelviewMatrix();
    plasma->updatePlasma();

    Object object(nullptr);
    object.translate(1, 1, 0);
    object.rotate(20, 0, 0, 1);
    object.setLighting(lighting);
    object.setTextureId(ownTexture);
    object.setTextureUsage(false);
    object.setDynamicTextureUsage(true);
    object.setDynamicTexture(nullptr);
    object.drawDynamicallyTextured(texture, plasma.get());

    QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
    QVERIFY(GLFixture::isEnabled(GL_TEXTURE_2D));
    QCOMPARE(GLFixture::boundTexture2D(), texture);
    QCOMPARE(GLFixture::isEnabled(GL_LIGHTING), lighting);
    QCOMPARE(GLFixture::isEnabled(GL_DEPTH_TEST), depthBefore);
    QCOMPARE(GLFixture::currentColour(), QVector4D(0.2f, 0.4f, 0.6f, 0.5f));
    QCOMPARE(GLFixture::currentNormal(), QVector3D(0, 1, 0));
    QCOMPARE(GLFixture::modelviewMatrix(), modelview);
    QCOMPARE(GLFixture::textureParameter(texture, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    QCOMPARE(GLFixture::textureParameter(texture, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);

    // The plasma's bytes as they lie in memory: red and blue exchanged.
    const QImage &image = *plasma->getImage();
    QVERIFY(GLFixture::textureHoldsBytesOf(texture, image));
    const QImage texels = GLFixture::textureImage(texture);
    for (QPoint at : { QPoint(0, 0), QPoint(17, 3), QPoint(255, 255), QPoint(100, 200) }) {
        const QColor texel = texels.pixelColor(at);
        QCOMPARE(texel, swapRedBlue(image.pixelColor(at)));
    }
    QCOMPARE(GLFixture::textureImage(ownTexture), ownBefore);

    glDeleteTextures(1, &texture);
    glDeleteTextures(1, &ownTexture);
}

void TestObject::drawDynamicallyTexturedShowsImageUpright()
{
    gl->setOrtho(-0.5, 1.5, -0.5, 1.5);
    const GLuint texture = GLFixture::makeTexture(QSize(4, 4), Qt::black);
    *plasma->getImage() =
        GLFixture::quadrantImage(PlasmaSize, Qt::red, Qt::green, Qt::blue, Qt::white);

    Object object(nullptr);
    object.translate(0, 0, 0);
    object.rotate(0, 0, 0, 1);
    object.setAspectRatio(QSize(8, 1)); // not used by this way of drawing
    object.drawDynamicallyTextured(texture, plasma.get());

    // 32 pixels per unit; the quad covers pixels 16 to 48 both ways.
    GL_COMPARE_PIXEL(*gl, 24, 40, swapRedBlue(Qt::red));
    GL_COMPARE_PIXEL(*gl, 40, 40, swapRedBlue(Qt::green));
    GL_COMPARE_PIXEL(*gl, 24, 24, swapRedBlue(Qt::blue));
    GL_COMPARE_PIXEL(*gl, 40, 24, swapRedBlue(Qt::white));
    GL_COMPARE_PIXEL(*gl, 56, 24, Background);
    glDeleteTextures(1, &texture);
    plasma->updatePlasma();
}

void TestObject::debugWritesPosition_data()
{
    QTest::addColumn<QVector3D>("position");
    QTest::addColumn<QString>("message");

    QTest::newRow("1, 2.5, -3") << QVector3D(1, 2.5f, -3)
                                << QStringLiteral("\"X: 1\n Y: 2.5\n Z: -3\" ");
    QTest::newRow("six significant digits")
        << QVector3D(0.1f, 1e7f, 123456789.0f)
        << QStringLiteral("\"X: 0.1\n Y: 1e+07\n Z: 1.23457e+08\" ");
    QTest::newRow("origin") << QVector3D(0, 0, 0) << QStringLiteral("\"X: 0\n Y: 0\n Z: 0\" ");
}

void TestObject::debugWritesPosition()
{
    QFETCH(QVector3D, position);
    QFETCH(QString, message);

    Object object(nullptr);
    object.translate(position.x(), position.y(), position.z());
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectMessage);
    object.debug();
    qInstallMessageHandler(previous);

    QCOMPARE(messages, QStringList { message });
    QCOMPARE(lastType, QtDebugMsg);
}

void TestObject::debugLogTextEndsWithBlank()
{
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectMessage);
    DebugLog::text("Loading cubes");
    qInstallMessageHandler(previous);

    QCOMPARE(messages, QStringList { QStringLiteral("Loading cubes ") });
    QCOMPARE(lastType, QtDebugMsg);
}

QTEST_MAIN(TestObject)
#include "tst_object.moc"
