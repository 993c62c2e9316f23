// The demo window in-process, on a real GL context: construction, timers and
// the FPS line, keys, the projection, the four scene changes and a frame of
// every scene, read back through GL state queries and pixels.

#include "glfixture.h"
#include "testaccess.h"

#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>
#include <QRandomGenerator>
#include <QScreen>
#include <QSemaphore>
#include <QTransform>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

namespace {

const QSize NormalSize(640, 480);
// How long a test waits for the event loop to deliver what it expects: the
// first frame of a scene blocks the loop while llvmpipe compiles its shaders,
// for seconds on a busy machine with an empty shader cache.
const int EventDeadline = 30000;

QStringList debugMessages;

void captureDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg)
        debugMessages << message;
}

// The rehearsal's setting in the environment for as long as this lives.
struct RehearsalSetting
{
    explicit RehearsalSetting(const char *value) { qputenv("PLOK_REHEARSAL", value); }
    ~RehearsalSetting() { qunsetenv("PLOK_REHEARSAL"); }
};

// A clock that the test sets by hand.
struct HandClock : Clock
{
    qint64 elapsed() const override { return msecs; }
    qint64 msecs = 0;
};

struct Spin
{
    float step;
    QVector3D axis;
};

// What each frame turns, scene by scene; cubes not listed stay as they are.
const QVector<QVector<Spin>> SpinsPerScene = {
    {},
    { { -3.0f, { 0.2f, 1.0f, 0.2f } } },
    { { -3.0f, { 1.0f, 1.0f, 0.2f } },
      { -5.0f, { -1.0f, 0.5f, 0.5f } },
      { 8.0f, { 0.2f, -1.0f, 1.5f } } },
    { { -5.0f, { -1.5f, -2.0f, -2.5f } },
      { -5.0f, { 0.5f, 0.8f, -0.4f } },
      { -5.0f, { 0.6f, 1.7f, -0.3f } },
      { -5.0f, { 0.7f, 0.6f, -0.2f } } },
};

QVector4D lightParameter(GLenum name)
{
    GLfloat value[4] = {};
    glGetLightfv(GL_LIGHT1, name, value);
    return QVector4D(value[0], value[1], value[2], value[3]);
}

QVector4D materialParameter(GLenum face, GLenum name)
{
    GLfloat value[4] = {};
    glGetMaterialfv(face, name, value);
    return QVector4D(value[0], value[1], value[2], value[3]);
}

QMatrix4x4 projectionMatrix()
{
    GLfloat matrix[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, matrix);
    return QMatrix4x4(matrix).transposed();
}

QRect viewport()
{
    GLint v[4] = {};
    glGetIntegerv(GL_VIEWPORT, v);
    return QRect(v[0], v[1], v[2], v[3]);
}

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// The smallest mipmap level the bound texture holds: a texture filtered
// through its mipmaps draws as if texturing were off unless it holds every
// level down to 1 x 1.
int smallestLevel(GLuint texture)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    int level = 0;
    GLint width = 0;
    for (; level < 16; ++level) {
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level + 1, GL_TEXTURE_WIDTH, &width);
        if (width == 0)
            break;
    }
    return level;
}

// The exact mean of one byte of the RGBA texels in a block of an image.
double blockMean(const QImage &image, const QRect &block, int byte)
{
    double sum = 0;
    for (int y = block.top(); y <= block.bottom(); ++y) {
        for (int x = block.left(); x <= block.right(); ++x)
            sum += image.constScanLine(y)[x * 4 + byte];
    }
    return sum / (block.width() * block.height());
}

bool mipmapsComplete(GLuint texture)
{
    const int last = smallestLevel(texture);
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, last, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, last, GL_TEXTURE_HEIGHT, &height);
    return last > 0 && width == 1 && height == 1;
}

// How many texture names the context holds, among the first few hundred.
int liveTextures()
{
    int live = 0;
    for (GLuint name = 1; name < 512; ++name)
        live += glIsTexture(name);
    return live;
}

// The factor 1 / tan(fovy / 2) of a 45 degree perspective.
double focal()
{
    return 1.0 / std::tan(45.0 / 2.0 * M_PI / 180.0);
}

QMatrix4x4 perspective(QSize size)
{
    QMatrix4x4 matrix;
    matrix.perspective(45.0f, float(size.width()) / size.height(), 0.1f, 100.0f);
    return matrix;
}

// The transform Object::draw applies to its unit quad.
QMatrix4x4 quadTransform(const Object &object)
{
    QMatrix4x4 matrix;
    matrix.translate(TestAccess::position(object));
    matrix.rotate(TestAccess::angle(object), TestAccess::axis(object));
    const QSize aspect = TestAccess::aspectRatio(object);
    matrix.scale(aspect.width(), aspect.height(), 1.0f);
    return matrix;
}

// GL window coordinates (y from the bottom) of a point given in eye space.
QPoint toWindow(const QMatrix4x4 &projection, QVector3D point, QSize size)
{
    const QVector3D ndc = projection.map(point);
    return QPoint(int((ndc.x() + 1) / 2 * size.width()), int((ndc.y() + 1) / 2 * size.height()));
}

bool near(const QColor &a, const QColor &b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
        qAbs(a.blue() - b.blue()) <= tolerance;
}

QColor exchangeRedBlue(QRgb rgb)
{
    return QColor(qBlue(rgb), qGreen(rgb), qRed(rgb));
}

QString describe(const QColor &colour)
{
    return QStringLiteral("(%1, %2, %3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

// A picture pixel inside a fully opaque patch of one colour, (2 radius + 1)
// pixels wide, that `visible` accepts; (-1, -1) when there is none.
QPoint solidSpot(const QImage &picture, int radius, const std::function<bool(QPoint)> &visible)
{
    for (int v = radius; v < picture.height() - radius; ++v) {
        for (int u = radius; u < picture.width() - radius; ++u) {
            const QRgb centre = picture.pixel(u, v);
            bool solid = qAlpha(centre) == 255 && visible(QPoint(u, v));
            for (int dv = -radius; solid && dv <= radius; ++dv) {
                for (int du = -radius; solid && du <= radius; ++du) {
                    const QRgb p = picture.pixel(u + du, v + dv);
                    solid = qAlpha(p) == 255 && near(QColor(p), QColor(centre), 6);
                }
            }
            if (solid)
                return QPoint(u, v);
        }
    }
    return QPoint(-1, -1);
}

// The texels of a picture that are not wholly transparent.
QRect inked(const QImage &picture)
{
    QRect bounds;
    for (int v = 0; v < picture.height(); ++v) {
        for (int u = 0; u < picture.width(); ++u) {
            if (qAlpha(picture.pixel(u, v)) > 0)
                bounds |= QRect(u, v, 1, 1);
        }
    }
    return bounds;
}

} // namespace

class TestGLWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void construction();
    void timersRun();
    void fpsLine_data();
    void fpsLine();
    void unknownTimerChangesNothing();
    void keys_data();
    void keys();
    void returnLooksAtApplicationModifiers();
    void resizeKeepsPerspective_data();
    void resizeKeepsPerspective();
    void initialState();
    void picturesAndPlasmaTextures();
    void mipmapsAverageTheirBlocks_data();
    void mipmapsAverageTheirBlocks();
    void sceneOneEntry();
    void sceneTwoEntry();
    void sceneThreeEntry();
    void fourthChangeCloses();
    void followsItsClock();
    void firstCutWaitsForRehearsal();
    void heldRehearsalWaitsForRelease();
    void rehearsalGate_data();
    void rehearsalGate();
    void hungRehearsalHoldsNoCut();
    void rehearsalOffStaysOnWindow();
    void frame_data();
    void frame();
    void plasmaFillsWindow();
    void scenesDrawWithSamples_data();
    void scenesDrawWithSamples();
    void plasmaMipmapsOnlyWhenSmaller_data();
    void plasmaMipmapsOnlyWhenSmaller();
    void captionOverScene_data();
    void captionOverScene();
    void sceneOnePixels();
    void sceneTwoPixels();
    void sceneThreePixels();
    void captionLetteringShown_data();
    void captionLetteringShown();
    void framesStayOpaque_data();
    void framesStayOpaque();
    void fullScreen();

private:
    void showWidget(bool fullScreen = false);
    void advanceTo(int scene);
    void verifyStateBetweenFrames(bool light1);
    void verifyPlasmaRunning(int interval);
    void verifyPlasmaStopped();
    bool captionSpotMatches(const QString &path, int radius, int tolerance, QString *message);

    std::unique_ptr<GLWidget> widget;
};

void TestGLWidget::initTestCase()
{
    qInstallMessageHandler(captureDebug);
    QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "the GL tests need an X display");
}

void TestGLWidget::init()
{
    debugMessages.clear();
}

void TestGLWidget::cleanup()
{
    widget.reset();
}

// A demo window of 640 x 480 (or full-screen), shown, initialised, with the
// later scenes prepared after its first frame, and current.
void TestGLWidget::showWidget(bool fullScreen)
{
    widget = std::make_unique<GLWidget>();
    widget->resize(NormalSize);
    if (fullScreen)
        widget->showFullScreen();
    else
        widget->showNormal();
    QVERIFY(QTest::qWaitForWindowExposed(widget.get(), EventDeadline));
    QTRY_VERIFY_WITH_TIMEOUT(TestAccess::laterScenesPrepared(*widget), EventDeadline);
    QVERIFY2(widget->isValid() && widget->context()->isValid(), "no valid GL context");
    widget->makeCurrent();
    QVERIFY2(glGetString(GL_VERSION) != nullptr, "the GL context is not current");
    QVERIFY2(TestAccess::plasma(*widget), "initializeGL has not run");
}

// Moves the timeline on by invoking the slot by name, as its timers do. The
// slot finds no context current: it must make the window's its own.
void TestGLWidget::advanceTo(int scene)
{
    while (TestAccess::scene(*widget) < scene) {
        widget->doneCurrent();
        QVERIFY(QMetaObject::invokeMethod(widget.get(), "changeScene"));
    }
    QCOMPARE(TestAccess::scene(*widget), scene);
    widget->makeCurrent();
}

void TestGLWidget::verifyStateBetweenFrames(bool light1)
{
    QVERIFY(!GLFixture::isEnabled(GL_BLEND));
    // The captions blend by their alpha: their colours are not premultiplied.
    QCOMPARE(integer(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
    QCOMPARE(integer(GL_BLEND_DST_RGB), GL_ONE_MINUS_SRC_ALPHA);
    QVERIFY(!GLFixture::isEnabled(GL_ALPHA_TEST));
    QVERIFY(!GLFixture::isEnabled(GL_LIGHTING));
    QCOMPARE(GLFixture::isEnabled(GL_LIGHT1), light1);
    QVERIFY(GLFixture::isEnabled(GL_TEXTURE_2D));
    QVERIFY(!GLFixture::isEnabled(GL_COLOR_MATERIAL));
    QVERIFY(GLFixture::isEnabled(GL_DEPTH_TEST));
    QVERIFY(GLFixture::isEnabled(GL_MULTISAMPLE));
    QVERIFY(!GLFixture::isEnabled(GL_VERTEX_ARRAY));
    QVERIFY(!GLFixture::isEnabled(GL_TEXTURE_COORD_ARRAY));
    QCOMPARE(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    QVERIFY(GLFixture::modelviewMatrix().isIdentity());
    for (GLenum face : { GL_FRONT, GL_BACK }) {
        QCOMPARE(materialParameter(face, GL_AMBIENT), QVector4D(0.2f, 0.2f, 0.2f, 1.0f));
        QCOMPARE(materialParameter(face, GL_DIFFUSE), QVector4D(0.8f, 0.8f, 0.8f, 1.0f));
    }
    // The perspective of the last resize, untouched by the frame.
    const QMatrix4x4 projection = projectionMatrix();
    QVERIFY(qAbs(projection(1, 1) - focal()) < 1e-5);
    QVERIFY(qAbs(projection(0, 0) - focal() * 480.0 / 640.0) < 1e-5);
}

void TestGLWidget::verifyPlasmaRunning(int interval)
{
    Plasma *plasma = TestAccess::plasma(*widget);
    const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(plasma);
    QCOMPARE(timers.size(), 1);
    QCOMPARE(timers.first().timerId, TestAccess::timerId(*plasma));
    QCOMPARE(timers.first().interval, interval);
    const QImage before = plasma->getImage()->copy();
    QTRY_VERIFY_WITH_TIMEOUT(*plasma->getImage() != before, EventDeadline);
}

void TestGLWidget::verifyPlasmaStopped()
{
    Plasma *plasma = TestAccess::plasma(*widget);
    QVERIFY(QAbstractEventDispatcher::instance()->registeredTimers(plasma).isEmpty());
    const QImage before = plasma->getImage()->copy();
    // Meanwhile a running plasma beside it moves.
    Plasma running(QSize(16, 16), 256, nullptr);
    const QImage runningBefore = running.getImage()->copy();
    QTRY_VERIFY_WITH_TIMEOUT(*running.getImage() != runningBefore, EventDeadline);
    QVERIFY(*plasma->getImage() == before);
}

void TestGLWidget::construction()
{
    GLWidget window;

    QCOMPARE(window.title(), QString("Vash by [Q]"));
    QCOMPARE(debugMessages, QStringList { "Loading cubes " });
    QVERIFY(!window.parent());
    QCOMPARE(TestAccess::scene(window), 0);
    QCOMPARE(TestAccess::frames(window), 0u);
    for (int i = 0; i < 4; ++i) {
        QVERIFY(TestAccess::cube(window, i));
        QCOMPARE(TestAccess::cube(window, i)->parent(), &window);
        QCOMPARE(TestAccess::angle(*TestAccess::cube(window, i)), 0.0f);
        QVERIFY(!TestAccess::lighting(*TestAccess::cube(window, i)));
    }
    QVERIFY(!TestAccess::plasma(window));
    QVERIFY(!TestAccess::dialog(window));

    // One private slot is the whole meta-object of its own.
    const QMetaObject *meta = window.metaObject();
    QCOMPARE(meta->className(), "GLWidget");
    QCOMPARE(meta->methodCount() - meta->methodOffset(), 1);
    const QMetaMethod slot = meta->method(meta->methodOffset());
    QCOMPARE(slot.methodSignature(), QByteArray("changeScene()"));
    QCOMPARE(slot.methodType(), QMetaMethod::Slot);
    QCOMPARE(slot.access(), QMetaMethod::Private);

    QList<QPair<int, int>> timers;
    for (const auto &timer : QAbstractEventDispatcher::instance()->registeredTimers(&window))
        timers << qMakePair(timer.timerId, timer.interval);
    std::sort(timers.begin(), timers.end());
    QList<QPair<int, int>> expected { { TestAccess::frameTimer(window), 30 },
                                      { TestAccess::fpsTimer(window), 1000 } };
    std::sort(expected.begin(), expected.end());
    QCOMPARE(timers, expected);
}

// Left to themselves the timers paint frames and report them once a second.
void TestGLWidget::timersRun()
{
    showWidget();
    const QRegularExpression painted("^\"FPS: [1-9]\\d*\" $");
    QTRY_VERIFY_WITH_TIMEOUT(!debugMessages.filter(painted).isEmpty(), EventDeadline);
    QCOMPARE(debugMessages.filter("FPS"),
             debugMessages.filter(QRegularExpression("^\"FPS: \\d+\" $")));
}

void TestGLWidget::fpsLine_data()
{
    QTest::addColumn<unsigned int>("frames");
    QTest::addColumn<QString>("message");
    QTest::newRow("31 frames") << 31u << "\"FPS: 31\" ";
    QTest::newRow("none painted") << 0u << "\"FPS: 0\" ";
    QTest::newRow("beyond int") << 4000000000u << "\"FPS: 4000000000\" ";
}

void TestGLWidget::fpsLine()
{
    QFETCH(unsigned int, frames);
    QFETCH(QString, message);

    GLWidget window;
    debugMessages.clear();
    TestAccess::setFrames(window, frames);
    QTimerEvent tick(TestAccess::fpsTimer(window));
    QCoreApplication::sendEvent(&window, &tick);

    QCOMPARE(debugMessages, QStringList { message });
    QCOMPARE(TestAccess::frames(window), 0u);
}

void TestGLWidget::unknownTimerChangesNothing()
{
    showWidget();
    TestAccess::setFrames(*widget, 7);
    debugMessages.clear();
    const int bogus = qMax(TestAccess::frameTimer(*widget), TestAccess::fpsTimer(*widget)) + 1000;
    QTimerEvent tick(bogus);
    QCoreApplication::sendEvent(widget.get(), &tick);

    QVERIFY(debugMessages.isEmpty());
    QCOMPARE(TestAccess::frames(*widget), 7u);
    QCOMPARE(TestAccess::scene(*widget), 0);
    QVERIFY(widget->isVisible());
}

void TestGLWidget::keys_data()
{
    QTest::addColumn<bool>("startFullScreen");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("fullScreenAfter");
    QTest::addColumn<bool>("visibleAfter");

    const Qt::KeyboardModifiers none = Qt::NoModifier;
    QTest::newRow("Escape") << false << int(Qt::Key_Escape) << none << false << false;
    QTest::newRow("Escape, full-screen") << true << int(Qt::Key_Escape) << none << true << false;
    QTest::newRow("F") << false << int(Qt::Key_F) << none << true << true;
    QTest::newRow("F, full-screen") << true << int(Qt::Key_F) << none << false << true;
    QTest::newRow("Shift+F") << false << int(Qt::Key_F) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                             << true << true;
    QTest::newRow("Ctrl+F") << false << int(Qt::Key_F) << Qt::KeyboardModifiers(Qt::ControlModifier)
                            << true << true;
    QTest::newRow("Alt+F") << false << int(Qt::Key_F) << Qt::KeyboardModifiers(Qt::AltModifier)
                           << true << true;
    QTest::newRow("Alt+Return") << false << int(Qt::Key_Return)
                                << Qt::KeyboardModifiers(Qt::AltModifier) << true << true;
    QTest::newRow("Alt+Return, full-screen")
        << true << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::AltModifier) << false << true;
    QTest::newRow("Return") << false << int(Qt::Key_Return) << none << false << true;
    QTest::newRow("Alt+Shift+Return")
        << false << int(Qt::Key_Return)
        << Qt::KeyboardModifiers(Qt::AltModifier | Qt::ShiftModifier) << false << true;
    QTest::newRow("Ctrl+Alt+Return")
        << false << int(Qt::Key_Return)
        << Qt::KeyboardModifiers(Qt::AltModifier | Qt::ControlModifier) << false << true;
    QTest::newRow("Alt+keypad Enter")
        << false << int(Qt::Key_Enter)
        << Qt::KeyboardModifiers(Qt::AltModifier | Qt::KeypadModifier) << false << true;
    QTest::newRow("Q") << false << int(Qt::Key_Q) << none << false << true;
    QTest::newRow("Space, full-screen") << true << int(Qt::Key_Space) << none << true << true;
}

void TestGLWidget::keys()
{
    QFETCH(bool, startFullScreen);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, fullScreenAfter);
    QFETCH(bool, visibleAfter);

    showWidget(startFullScreen);
    QCOMPARE(widget->isFullScreen(), startFullScreen);
    QTest::keyClick(widget.get(), Qt::Key(key), modifiers);

    QCOMPARE(widget->isVisible(), visibleAfter);
    if (visibleAfter)
        QCOMPARE(widget->isFullScreen(), fullScreenAfter);
    QCOMPARE(TestAccess::scene(*widget), 0);
}

// Return decides on the modifiers the application holds, not on those the
// event carries. The events go straight to the widget: on their way through
// the application the toolkit would make the event's modifiers the
// application's.
void TestGLWidget::returnLooksAtApplicationModifiers()
{
    showWidget();
    QObject *receiver = widget.get();

    QTest::keyClick(widget.get(), Qt::Key_Q);
    QCOMPARE(QGuiApplication::keyboardModifiers(), Qt::NoModifier);
    QKeyEvent altReturn(QEvent::KeyPress, Qt::Key_Return, Qt::AltModifier);
    receiver->event(&altReturn);
    QVERIFY(!widget->isFullScreen());

    QTest::keyPress(widget.get(), Qt::Key_Alt, Qt::AltModifier);
    QCOMPARE(QGuiApplication::keyboardModifiers(), Qt::AltModifier);
    QKeyEvent plainReturn(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    receiver->event(&plainReturn);
    QVERIFY(widget->isFullScreen());
    QTest::keyRelease(widget.get(), Qt::Key_Alt, Qt::NoModifier);
    QTest::keyClick(widget.get(), Qt::Key_Q);
}

void TestGLWidget::resizeKeepsPerspective_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("viewport");
    QTest::addColumn<double>("aspect");
    QTest::newRow("640x480") << QSize(640, 480) << QRect(0, 0, 640, 480) << 640.0 / 480.0;
    QTest::newRow("odd") << QSize(333, 777) << QRect(0, 0, 333, 777) << 333.0 / 777.0;
    QTest::newRow("zero height") << QSize(300, 0) << QRect(0, 0, 300, 1) << 300.0;
}

void TestGLWidget::resizeKeepsPerspective()
{
    QFETCH(QSize, size);
    QFETCH(QRect, viewport);
    QFETCH(double, aspect);

    showWidget();
    glLoadIdentity();
    TestAccess::resizeGL(*widget, size.width(), size.height());

    QCOMPARE(::viewport(), viewport);
    QCOMPARE(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    const QMatrix4x4 m = projectionMatrix();
    const double zNear = double(0.1f);
    const double zFar = 100.0;
    QVERIFY(qAbs(m(0, 0) - focal() / aspect) < 1e-6 * focal());
    QVERIFY(qAbs(m(1, 1) - focal()) < 1e-5);
    QVERIFY(qAbs(m(2, 2) - (zFar + zNear) / (zNear - zFar)) < 1e-5);
    QVERIFY(qAbs(m(2, 3) - 2 * zFar * zNear / (zNear - zFar)) < 1e-5);
    QCOMPARE(m(3, 2), -1.0f);
}

// What initializeGL leaves: the GL state, the plasma and the first caption.
void TestGLWidget::initialState()
{
    showWidget();

    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    QCOMPARE(QVector4D(clear[0], clear[1], clear[2], clear[3]), QVector4D(0, 0, 0, 1));
    GLfloat depth = 0;
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
    QCOMPARE(depth, 1.0f);
    QCOMPARE(integer(GL_DEPTH_FUNC), GL_LESS);
    QVERIFY(GLFixture::isEnabled(GL_DEPTH_TEST));
    QVERIFY(GLFixture::isEnabled(GL_TEXTURE_2D));
    QCOMPARE(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    // The scenes draw straight into the window's own buffers.
    QCOMPARE(integer(GL_DRAW_FRAMEBUFFER_BINDING), 0);

    Plasma *plasma = TestAccess::plasma(*widget);
    QCOMPARE(plasma->parent(), widget.get());
    QCOMPARE(plasma->getImage()->size(), QSize(256, 256));
    QCOMPARE(TestAccess::palette(*plasma).size(), 256);

    const Object *dialog = TestAccess::dialog(*widget);
    QCOMPARE(dialog->parent(), widget.get());
    QVERIFY(!TestAccess::lighting(*dialog));
    QVERIFY(TestAccess::textureUsage(*dialog));
    QVERIFY(!TestAccess::dynamicTextureUsage(*dialog));
    QCOMPARE(TestAccess::textureId(*dialog), TestAccess::texture(*widget, 0));
    QCOMPARE(TestAccess::position(*dialog), QVector3D(-0.5f, -0.5f, -1.0f));
    QCOMPARE(TestAccess::angle(*dialog), 10.0f);
    QCOMPARE(TestAccess::axis(*dialog), QVector3D(0, 0, 1));
    QCOMPARE(TestAccess::aspectRatio(*dialog), QSize(1, 1));

    QVERIFY(!GLFixture::isEnabled(GL_LIGHT1));
    verifyPlasmaRunning(20);
}

// The four pictures are textures of their own, upright (bottom row at t = 0),
// and stay so after the images they came from are gone; the plasma texture
// survives the plasma repainting its image. The pictures are filtered
// linearly, with mipmaps.
void TestGLWidget::picturesAndPlasmaTextures()
{
    showWidget();
    const QImage before = TestAccess::plasma(*widget)->getImage()->copy();
    QTRY_VERIFY_WITH_TIMEOUT(*TestAccess::plasma(*widget)->getImage() != before, EventDeadline);
    widget->makeCurrent();

    const QStringList paths { ":dialogs/0.png", ":dialogs/1.png", ":dialogs/2.png",
                              ":dialogs/credits.png" };
    QSet<GLuint> names;
    for (int i = 0; i < paths.size(); ++i) {
        const GLuint texture = TestAccess::texture(*widget, i);
        QVERIFY2(glIsTexture(texture), qPrintable(paths[i]));
        names << texture;

        const QImage picture = QImage(paths[i])
                                   .convertToFormat(QImage::Format_ARGB32)
                                   .transformed(QTransform::fromScale(1, -1));
        const QImage texels = GLFixture::textureImage(texture);
        QCOMPARE(texels.size(), picture.size());
        for (int v = 0; v < picture.height(); v += 7) {
            for (int u = 0; u < picture.width(); u += 5) {
                const QRgb expected = picture.pixel(u, v);
                const QRgb found = texels.pixel(u, v);
                QVERIFY(qAbs(qAlpha(found) - qAlpha(expected)) <= 1);
                if (qAlpha(expected) == 255)
                    QVERIFY2(near(QColor(found), QColor(expected), 1),
                             qPrintable(QString("%1 at %2,%3").arg(paths[i]).arg(u).arg(v)));
            }
        }
    }
    // Smooth when drawn small: without its mipmaps a texture so filtered is
    // incomplete, and GL draws it as if texturing were off.
    for (const GLuint texture : names) {
        QCOMPARE(GLFixture::textureParameter(texture, GL_TEXTURE_MIN_FILTER),
                 GL_LINEAR_MIPMAP_LINEAR);
        QCOMPARE(GLFixture::textureParameter(texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        QVERIFY(mipmapsComplete(texture));
    }
    const GLuint plasmaTexture = TestAccess::plasmaTexture(*widget);
    QVERIFY(glIsTexture(plasmaTexture));
    QVERIFY(!names.contains(plasmaTexture));
}

void TestGLWidget::mipmapsAverageTheirBlocks_data()
{
    QTest::addColumn<QImage>("image");
    QImage noise(256, 256, QImage::Format_ARGB32);
    QRandomGenerator random(27);
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, random.generate());
    }
    QTest::newRow("noise, 256 x 256") << noise;
    QTest::newRow("the credits, 256 x 1024")
        << PictureTextures::texels(QImage(":dialogs/credits.png"));
    QTest::newRow("a caption, 512 x 64") << PictureTextures::texels(QImage(":dialogs/1.png"));
}

// Each texel of a level made without GL is its block of the level above
// (two by two, or two where the level above is one texel wide or high)
// averaged, halves rounded up as GL rounds them: never below the block's
// mean and at most one step above, level after level down to 1 x 1. The
// pictures look as they did when GL made the mipmaps; rounded down, they
// would darken and thin level by level.
void TestGLWidget::mipmapsAverageTheirBlocks()
{
    QFETCH(QImage, image);

    const PictureTextures::Levels levels =
        PictureTextures::levels(image, PictureTextures::Mipmaps::Made);
    QCOMPARE(levels.last().size(), QSize(1, 1));
    for (int level = 1; level < levels.size(); ++level) {
        const QImage &above = levels[level - 1];
        const QImage &made = levels[level];
        QCOMPARE(made.size(), QSize(qMax(above.width() / 2, 1), qMax(above.height() / 2, 1)));
        const int blockWidth = above.width() / made.width();
        const int blockHeight = above.height() / made.height();
        for (int y = 0; y < made.height(); ++y) {
            for (int x = 0; x < made.width(); ++x) {
                for (int channel = 0; channel < 4; ++channel) {
                    const QRect block(x * blockWidth, y * blockHeight, blockWidth, blockHeight);
                    const double exact = blockMean(above, block, channel);
                    const int found = made.constScanLine(y)[x * 4 + channel];
                    QVERIFY2(found >= exact && found <= exact + 1.0,
                             qPrintable(QString("level %1, texel %2,%3, byte %4: %5, mean %6")
                                            .arg(level)
                                            .arg(x)
                                            .arg(y)
                                            .arg(channel)
                                            .arg(found)
                                            .arg(exact)));
                }
            }
        }
    }
}

void TestGLWidget::sceneOneEntry()
{
    showWidget();
    const Object *dialog = TestAccess::dialog(*widget);
    advanceTo(1);

    QVERIFY(TestAccess::textureUsage(*dialog));
    QCOMPARE(TestAccess::textureId(*dialog), TestAccess::texture(*widget, 1));
    QCOMPARE(TestAccess::aspectRatio(*dialog), QSize(8, 1));
    QCOMPARE(TestAccess::position(*dialog), QVector3D(-0.5f, -0.5f, -12.0f));
    QCOMPARE(TestAccess::angle(*dialog), 0.0f);
    QCOMPARE(TestAccess::axis(*dialog), QVector3D(0, 0, 1));
    QVERIFY(!TestAccess::lighting(*dialog));
    QCOMPARE(TestAccess::position(*TestAccess::cube(*widget, 0)), QVector3D(-1.5f, 0.0f, -7.0f));
    for (int i = 0; i < 4; ++i)
        QVERIFY(!TestAccess::lighting(*TestAccess::cube(*widget, i)));
    QVERIFY(!GLFixture::isEnabled(GL_LIGHT1));
    verifyPlasmaStopped();
}

void TestGLWidget::sceneTwoEntry()
{
    showWidget();
    advanceTo(1);
    Cube *first = TestAccess::cube(*widget, 0);
    first->rotate(-42.0f, 0.2f, 1.0f, 0.2f);
    advanceTo(2);

    QCOMPARE(TestAccess::angle(*first), -42.0f);
    QCOMPARE(TestAccess::position(*first), QVector3D(1.5f, 0.0f, -7.0f));
    QCOMPARE(TestAccess::position(*TestAccess::cube(*widget, 1)), QVector3D(-2.0f, -1.0f, -10.0f));
    QCOMPARE(TestAccess::position(*TestAccess::cube(*widget, 2)), QVector3D(-1.0f, 2.0f, -15.0f));
    for (int i = 0; i < 4; ++i)
        QVERIFY(TestAccess::lighting(*TestAccess::cube(*widget, i)));

    const Object *dialog = TestAccess::dialog(*widget);
    QCOMPARE(TestAccess::textureId(*dialog), TestAccess::texture(*widget, 2));
    QCOMPARE(TestAccess::aspectRatio(*dialog), QSize(8, 1));
    QCOMPARE(TestAccess::position(*dialog), QVector3D(-8.0f, 2.0f, -12.0f));
    QCOMPARE(TestAccess::angle(*dialog), 0.0f);
    QVERIFY(!TestAccess::lighting(*dialog));

    // Set between frames, with the identity model-view: eye space as given.
    QVERIFY(GLFixture::isEnabled(GL_LIGHT1));
    QVERIFY(!GLFixture::isEnabled(GL_LIGHT0));
    QCOMPARE(lightParameter(GL_AMBIENT), QVector4D(0.5f, 0.5f, 0.5f, 1.0f));
    QCOMPARE(lightParameter(GL_DIFFUSE), QVector4D(1.0f, 1.0f, 1.0f, 1.0f));
    QCOMPARE(lightParameter(GL_POSITION), QVector4D(0.0f, 10.0f, -5.0f, 1.0f));
    verifyPlasmaStopped();
}

void TestGLWidget::sceneThreeEntry()
{
    showWidget();
    advanceTo(2);
    const int texturesBefore = liveTextures();
    advanceTo(3);

    // The plasma's texture is made anew, with mipmaps for the distant cubes;
    // the one it replaces is deleted.
    const GLuint plasmaTexture = TestAccess::plasmaTexture(*widget);
    QVERIFY(glIsTexture(plasmaTexture));
    QVERIFY(mipmapsComplete(plasmaTexture));
    QCOMPARE(liveTextures(), texturesBefore);

    const Object *dialog = TestAccess::dialog(*widget);
    QCOMPARE(TestAccess::textureId(*dialog), TestAccess::texture(*widget, 3));
    QCOMPARE(TestAccess::aspectRatio(*dialog), QSize(1, 4));
    QCOMPARE(TestAccess::position(*dialog), QVector3D(0.5f, -5.5f, -3.0f));
    QCOMPARE(TestAccess::angle(*dialog), 0.0f);
    const QVector3D positions[] = { { -8.0f, 5.0f, -20.0f },
                                    { -8.0f, 0.0f, -20.0f },
                                    { -8.0f, -5.0f, -20.0f },
                                    { -1.0f, 0.0f, -10.0f } };
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(TestAccess::position(*TestAccess::cube(*widget, i)), positions[i]);
        QVERIFY(TestAccess::lighting(*TestAccess::cube(*widget, i)));
    }

    QVERIFY(GLFixture::isEnabled(GL_LIGHT1));
    QCOMPARE(lightParameter(GL_AMBIENT), QVector4D(0.5f, 0.5f, 0.5f, 1.0f));
    QCOMPARE(lightParameter(GL_DIFFUSE), QVector4D(1.0f, 1.0f, 1.0f, 1.0f));
    QCOMPARE(lightParameter(GL_POSITION), QVector4D(0.0f, 10.0f, 1.0f, 1.0f));
    verifyPlasmaRunning(30);
}

void TestGLWidget::fourthChangeCloses()
{
    showWidget();
    advanceTo(3);
    QVERIFY(widget->isVisible());
    QVERIFY(QMetaObject::invokeMethod(widget.get(), "changeScene"));
    QVERIFY(!widget->isVisible());
    QCOMPARE(TestAccess::scene(*widget), 3);
}

// The timeline follows the clock it is given, not the wall clock: a clock
// that runs ahead brings the changes at once, one that stands still holds
// them however many frame ticks look at it.
void TestGLWidget::followsItsClock()
{
    HandClock clock;
    GLWidget window(&clock);
    window.resize(NormalSize);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, EventDeadline));

    // Two FPS lines: a second of frame ticks has looked at the clock. A cut
    // is made a frame's drawing time early, and both a cut and the end half a
    // frame earlier still when frames take longer than the frame interval, as
    // they do on a busy machine: the clock stands a second before each.
    clock.msecs = 6000;
    int fpsLines = debugMessages.filter("FPS").size();
    QTRY_VERIFY_WITH_TIMEOUT(debugMessages.filter("FPS").size() >= fpsLines + 2, EventDeadline);
    QCOMPARE(TestAccess::scene(window), 0);
    clock.msecs = 7000;
    QTRY_COMPARE_WITH_TIMEOUT(TestAccess::scene(window), 1, EventDeadline);

    clock.msecs = 44000;
    QTRY_COMPARE_WITH_TIMEOUT(TestAccess::scene(window), 3, EventDeadline);
    fpsLines = debugMessages.filter("FPS").size();
    QTRY_VERIFY_WITH_TIMEOUT(debugMessages.filter("FPS").size() >= fpsLines + 2, EventDeadline);
    QVERIFY(window.isVisible());
    clock.msecs = 45000;
    QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), EventDeadline);
}

// A clock that has reached the first cut before the first frame: the cut
// waits, and says so once, while the window shows its first scene and
// rehearses the later ones; then it comes.
void TestGLWidget::firstCutWaitsForRehearsal()
{
    HandClock clock;
    clock.msecs = 7000;
    GLWidget window(&clock);
    window.resize(NormalSize);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, EventDeadline));

    QDeadlineTimer deadline(EventDeadline);
    unsigned int framesShown = 0;
    while (!TestAccess::laterScenesPrepared(window) && !deadline.hasExpired()) {
        QCOMPARE(TestAccess::scene(window), 0);
        framesShown = qMax(framesShown, TestAccess::frames(window));
        QTest::qWait(5);
    }
    QVERIFY2(framesShown > 0, "the window showed no frame before the cut");
    QTRY_COMPARE_WITH_TIMEOUT(TestAccess::scene(window), 1, EventDeadline);
    QCOMPARE(debugMessages.filter("cut waits").size(), 1);
}

// A host that holds the rehearsal back (while it makes its sound player)
// sees frames and no step of the rehearsal until it releases it.
void TestGLWidget::heldRehearsalWaitsForRelease()
{
    GLWidget window;
    window.holdRehearsal();
    window.resize(NormalSize);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, EventDeadline));
    QTRY_VERIFY_WITH_TIMEOUT(TestAccess::frames(window) > 3, EventDeadline);
    QVERIFY(!TestAccess::rehearsalStarted(window));

    window.releaseRehearsal();
    QTRY_VERIFY_WITH_TIMEOUT(TestAccess::laterScenesPrepared(window), EventDeadline);
}

void TestGLWidget::rehearsalGate_data()
{
    QTest::addColumn<QByteArray>("renderer");
    QTest::addColumn<bool>("threadedGL");
    QTest::addColumn<QByteArray>("setting");
    QTest::addColumn<bool>("onThread");
    const QByteArray llvmpipe = "llvmpipe (LLVM 15.0.6, 256 bits)";
    const QByteArray zink = "zink Vulkan 1.3(llvmpipe (LLVM 15.0.6, 256 bits) (MESA_LLVMPIPE))";
    const QByteArray radeon =
        "AMD Radeon RX 580 Series (radeonsi, polaris10, LLVM 15.0.6, DRM 3.49)";
    const QByteArray intel = "Mesa Intel(R) UHD Graphics 620 (KBL GT2)";
    QTest::newRow("llvmpipe") << llvmpipe << true << QByteArray() << true;
    QTest::newRow("llvmpipe, no threaded GL") << llvmpipe << false << QByteArray() << false;
    QTest::newRow("softpipe") << QByteArray("softpipe") << true << QByteArray() << true;
    QTest::newRow("zink on lavapipe") << zink << true << QByteArray() << true;
    QTest::newRow("a GPU compiled by LLVM") << radeon << true << QByteArray() << false;
    QTest::newRow("a GPU") << intel << true << QByteArray() << false;
    QTest::newRow("a GPU, on") << intel << true << QByteArray("on") << true;
    QTest::newRow("llvmpipe, off") << llvmpipe << true << QByteArray("off") << false;
    QTest::newRow("no threaded GL, on") << llvmpipe << false << QByteArray("on") << true;
    QTest::newRow("llvmpipe, unknown") << llvmpipe << true << QByteArray("yes") << true;
    QTest::newRow("a GPU, unknown") << intel << true << QByteArray("1") << false;
}

void TestGLWidget::rehearsalGate()
{
    QFETCH(QByteArray, renderer);
    QFETCH(bool, threadedGL);
    QFETCH(QByteArray, setting);
    QFETCH(bool, onThread);
    QCOMPARE(SceneRehearsal::onThread(renderer, threadedGL, setting), onThread);
}

// A rehearsal thread that never ends while the window runs: the first cut,
// already due, waits no longer than the window's deadline from its first
// frames, and the window rehearses the later scenes itself.
void TestGLWidget::hungRehearsalHoldsNoCut()
{
    const RehearsalSetting on("on");
    QSemaphore hung;
    QAtomicInt threadRan;
    HandClock clock;
    clock.msecs = 7000;
    QElapsedTimer made;
    made.start();
    GLWidget window(&clock);
    TestAccess::rehearseOnThread(window, [&] {
        threadRan = 1;
        hung.acquire();
    });
    window.resize(NormalSize);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, EventDeadline));

    QTRY_COMPARE_WITH_TIMEOUT(TestAccess::scene(window), 1, EventDeadline);
    const qint64 cutAfter = made.elapsed();
    const bool threadStillRuns = TestAccess::rehearsalThreadRuns(window);
    hung.release();
    QVERIFY2(threadRan, "the rehearsal never started its thread");
    QVERIFY(threadStillRuns);
    QVERIFY2(cutAfter >= 250, qPrintable(QString("the cut came after %1 ms").arg(cutAfter)));
    QVERIFY(TestAccess::laterScenesPrepared(window));
    for (int i = 1; i < PictureTextures::Count; ++i)
        QVERIFY(TestAccess::texture(window, i) != 0);
    QCOMPARE(debugMessages.filter("cut waits").size(), 1);
}

// Rehearsed on the window's own context alone, the timeline runs to its end.
void TestGLWidget::rehearsalOffStaysOnWindow()
{
    const RehearsalSetting off("off");
    HandClock clock;
    GLWidget window(&clock);
    window.resize(NormalSize);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, EventDeadline));
    QTRY_VERIFY_WITH_TIMEOUT(TestAccess::laterScenesPrepared(window), EventDeadline);
    QVERIFY(!TestAccess::rehearsalOnThread(window));

    clock.msecs = 45000;
    QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), EventDeadline);
    QCOMPARE(TestAccess::scene(window), 3);
}

void TestGLWidget::frame_data()
{
    QTest::addColumn<int>("scene");
    for (int scene = 0; scene < 4; ++scene)
        QTest::addRow("scene %d", scene) << scene;
}

// One frame: counted, every turning cube one step on, the credits up, and
// the GL state left as every frame leaves it.
void TestGLWidget::frame()
{
    QFETCH(int, scene);

    showWidget();
    advanceTo(scene);
    // A frame of the scene before, so that the state checked is this frame's.
    TestAccess::paintGL(*widget);

    float angles[4];
    for (int i = 0; i < 4; ++i)
        angles[i] = TestAccess::angle(*TestAccess::cube(*widget, i));
    const QVector3D credits = TestAccess::position(*TestAccess::dialog(*widget));
    TestAccess::setFrames(*widget, 5);
    TestAccess::target(*widget).bind();
    glClearStencil(0x55);
    glClear(GL_STENCIL_BUFFER_BIT);
    glClearStencil(0);

    TestAccess::paintGL(*widget);

    QCOMPARE(TestAccess::frames(*widget), 6u);
    const QVector<Spin> &spins = SpinsPerScene[scene];
    for (int i = 0; i < 4; ++i) {
        const Cube *cube = TestAccess::cube(*widget, i);
        if (i < spins.size()) {
            QCOMPARE(TestAccess::angle(*cube), angles[i] + spins[i].step);
            QCOMPARE(TestAccess::axis(*cube), spins[i].axis);
        } else {
            QCOMPARE(TestAccess::angle(*cube), angles[i]);
        }
    }
    const QVector3D rise(0.0f, scene == 3 ? 0.008f : 0.0f, 0.0f);
    QCOMPARE(TestAccess::position(*TestAccess::dialog(*widget)), credits + rise);

    verifyStateBetweenFrames(scene >= 2);
    // A scene that clears clears the stencil with the depth, which keeps
    // llvmpipe's clear on its fast path. A buffer with samples is read
    // through a copy without.
    if (scene > 0) {
        QOpenGLFramebufferObject *drawn = TestAccess::framebuffer(TestAccess::target(*widget));
        QOpenGLFramebufferObject copy(drawn->size(),
                                      QOpenGLFramebufferObject::CombinedDepthStencil);
        QOpenGLFramebufferObject::blitFramebuffer(&copy, drawn, GL_STENCIL_BUFFER_BIT);
        QVERIFY(copy.bind());
        GLubyte stencil = 0x55;
        glReadPixels(5, 5, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &stencil);
        copy.release();
        QCOMPARE(stencil, GLubyte(0));
    }
}

// In scene 0 the plasma fills the window, its first image row along the
// bottom, with red and blue exchanged against the palette. The frame is not
// cleared: nothing of what the window held before may show. It draws
// straight into the window: the buffer with samples is neither drawn into
// nor resolved.
void TestGLWidget::plasmaFillsWindow()
{
    showWidget();
    const QImage image = TestAccess::plasma(*widget)->getImage()->copy();
    MultisampleTarget &target = TestAccess::target(*widget);
    target.bind();
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    target.bindOutput();
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
    TestAccess::paintGL(*widget);

    const QImage frame = GLFixture::grabColourBuffer(widget->size());
    int stale = 0;
    int resolved = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            stale += frame.pixel(x, y) == qRgb(255, 0, 255);
            resolved += frame.pixel(x, y) == qRgb(0, 255, 0);
        }
    }
    QVERIFY2(stale == 0 && resolved == 0,
             qPrintable(QString("%1 pixels kept the colour from before the frame, %2 show the "
                                "buffer with samples; frame saved as %3")
                            .arg(stale)
                            .arg(resolved)
                            .arg(GLFixture::saveFailure(frame))));
    target.resolve();
    QCOMPARE(GLFixture::pixel(5, 5), QColor(0, 255, 0));
    TestAccess::paintGL(*widget);

    const QPoint probes[] = { { 2, 2 }, { 637, 2 }, { 637, 477 }, { 637, 240 }, { 2, 60 } };
    bool exchangeSeen = false;
    for (const QPoint &probe : probes) {
        const QColor found = GLFixture::pixel(probe.x(), probe.y());
        const int u = probe.x() * 256 / 640;
        const int v = probe.y() * 256 / 480;
        const QColor expected = exchangeRedBlue(image.pixel(u, v));
        // The frame is saved only when the probe fails.
        if (!near(found, expected, 16))
            QFAIL(qPrintable(
                QString("at %1,%2: %3, expected %4; frame saved as %5")
                    .arg(probe.x())
                    .arg(probe.y())
                    .arg(describe(found), describe(expected),
                         GLFixture::saveFailure(GLFixture::grabColourBuffer(widget->size())))));
        if (!near(found, QColor(image.pixel(u, v)), 40))
            exchangeSeen = true;
    }
    QVERIFY2(exchangeSeen, "no probe tells the exchanged colours from the palette's own");
}

void TestGLWidget::scenesDrawWithSamples_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addRow("640 x 480") << NormalSize;
    QTest::addRow("resized to 333 x 777") << QSize(333, 777);
}

// The cubes draw with 4 samples a pixel, or as many as the driver offers if
// fewer, whatever the window's own buffers have, and at the window's size
// after a resize. A flat-coloured cube on black then has an outline of
// pixels part face, part ground; without samples every pixel is one or the
// other.
void TestGLWidget::scenesDrawWithSamples()
{
    QFETCH(QSize, window);

    showWidget();
    TestAccess::resizeGL(*widget, window.width(), window.height());
    advanceTo(1);
    TestAccess::paintGL(*widget);

    MultisampleTarget &target = TestAccess::target(*widget);
    QCOMPARE(target.samples(), qMin(MultisampleTarget::Samples, integer(GL_MAX_SAMPLES)));
    QCOMPARE(TestAccess::framebuffer(target)->size(), window);
    const QImage frame = GLFixture::grabColourBuffer(window);
    int face = 0;
    int outline = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const int red = qRed(frame.pixel(x, y));
            face += red == 255;
            outline += red > 0 && red < 255;
        }
    }
    QVERIFY2(face > 1000, qPrintable(QString("%1 pixels of the cube's faces").arg(face)));
    QVERIFY2(target.samples() < 2 || outline > face / 100,
             qPrintable(QString("%1 pixels between face and ground, beside %2 of the faces; "
                                "frame saved as %3")
                            .arg(outline)
                            .arg(face)
                            .arg(GLFixture::saveFailure(frame))));
}

void TestGLWidget::plasmaMipmapsOnlyWhenSmaller_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<bool>("mipmapped");
    QTest::addRow("larger than the plasma") << NormalSize << false;
    QTest::addRow("smaller than the plasma") << QSize(200, 150) << true;
    QTest::addRow("narrower than the plasma") << QSize(200, 480) << true;
    QTest::addRow("lower than the plasma") << QSize(640, 200) << true;
}

// A window narrower or lower than the plasma's image shows it smoothed
// through its mipmaps; one at least as large both ways never reads them.
// Either way the plasma shows: a texture whose filter wants mipmaps it lacks
// draws as if texturing were off.
void TestGLWidget::plasmaMipmapsOnlyWhenSmaller()
{
    QFETCH(QSize, window);
    QFETCH(bool, mipmapped);

    showWidget();
    TestAccess::resizeGL(*widget, window.width(), window.height());
    const QImage image = TestAccess::plasma(*widget)->getImage()->copy();
    TestAccess::paintGL(*widget);

    const GLuint texture = TestAccess::plasmaTexture(*widget);
    QCOMPARE(GLFixture::textureParameter(texture, GL_TEXTURE_MIN_FILTER),
             mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    QVERIFY(!mipmapped || mipmapsComplete(texture));
    const QPoint corner(2, 2);
    const QColor found = GLFixture::pixel(corner.x(), corner.y());
    const QColor expected = exchangeRedBlue(
        image.pixel(corner.x() * 256 / window.width(), corner.y() * 256 / window.height()));
    QVERIFY2(near(found, expected, 24),
             qPrintable(QString("%1, expected %2").arg(describe(found), describe(expected))));
}

bool TestGLWidget::captionSpotMatches(const QString &path, int radius, int tolerance,
                                      QString *message)
{
    const Object *dialog = TestAccess::dialog(*widget);
    const QImage picture = QImage(path).convertToFormat(QImage::Format_ARGB32);
    const QMatrix4x4 transform = perspective(widget->size()) * quadTransform(*dialog);
    auto windowPoint = [&](QPoint texel) {
        const QVector3D st((texel.x() + 0.5f) / picture.width(),
                           1.0f - (texel.y() + 0.5f) / picture.height(), 0.0f);
        return toWindow(transform, st, widget->size());
    };
    const QRect inside = QRect(QPoint(0, 0), widget->size()).adjusted(4, 4, -4, -4);
    const QPoint spot = solidSpot(
        picture, radius, [&](QPoint texel) { return inside.contains(windowPoint(texel)); });
    if (spot.x() < 0) {
        *message = QString("%1 has no visible solid patch").arg(path);
        return false;
    }
    const QPoint at = windowPoint(spot);
    const QColor found = GLFixture::pixel(at.x(), at.y());
    const QColor expected(picture.pixel(spot));
    if (near(found, expected, tolerance))
        return true;
    *message = QString("%1 texel %2,%3 at %4,%5: %6, expected %7; frame saved as %8")
                   .arg(path)
                   .arg(spot.x())
                   .arg(spot.y())
                   .arg(at.x())
                   .arg(at.y())
                   .arg(describe(found), describe(expected),
                        GLFixture::saveFailure(GLFixture::grabColourBuffer(widget->size())));
    return false;
}

void TestGLWidget::captionOverScene_data()
{
    QTest::addColumn<int>("scene");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("radius");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("scene 0") << 0 << ":dialogs/0.png" << 3 << 24;
    QTest::newRow("scene 1") << 1 << ":dialogs/1.png" << 2 << 48;
    QTest::newRow("scene 2") << 2 << ":dialogs/2.png" << 2 << 48;
}

// Each of the first three scenes shows its caption, upright and on top.
void TestGLWidget::captionOverScene()
{
    QFETCH(int, scene);
    QFETCH(QString, picture);
    QFETCH(int, radius);
    QFETCH(int, tolerance);

    showWidget();
    advanceTo(scene);
    TestAccess::paintGL(*widget);
    QString message;
    QVERIFY2(captionSpotMatches(picture, radius, tolerance, &message), qPrintable(message));
}

// One unlit cube in its flat yellow-to-orange face colours on black.
void TestGLWidget::sceneOnePixels()
{
    showWidget();
    advanceTo(1);
    TestAccess::paintGL(*widget);

    const QMatrix4x4 projection = perspective(widget->size());
    const QPoint centre =
        toWindow(projection, TestAccess::position(*TestAccess::cube(*widget, 0)), widget->size());
    const QColor face = GLFixture::pixel(centre.x(), centre.y());
    QVERIFY2(face.red() >= 250 && face.blue() <= 5 && face.green() >= 175 && face.green() <= 245,
             qPrintable(describe(face)));
    QCOMPARE(GLFixture::pixel(5, 5), QColor(0, 0, 0));
}

// The first two cubes lit in grey default material, the third in its colours.
void TestGLWidget::sceneTwoPixels()
{
    showWidget();
    advanceTo(2);
    TestAccess::paintGL(*widget);

    const QMatrix4x4 projection = perspective(widget->size());
    for (int i = 0; i < 3; ++i) {
        const QPoint centre = toWindow(
            projection, TestAccess::position(*TestAccess::cube(*widget, i)), widget->size());
        const QColor lit = GLFixture::pixel(centre.x(), centre.y());
        const QString text = QString("cube %1: %2").arg(i).arg(describe(lit));
        if (i < 2) {
            QVERIFY2(lit.red() > 20 && near(lit, QColor(lit.red(), lit.red(), lit.red()), 2),
                     qPrintable(text));
        } else {
            QVERIFY2(lit.red() > 40 && lit.red() >= lit.green() && lit.blue() <= 5 &&
                         lit.red() - lit.blue() > 30,
                     qPrintable(text));
        }
    }
}

// Textured with the plasma, lit in grey: red equals green on screen (the
// palette's green equals its blue, and red and blue arrive exchanged).
void TestGLWidget::sceneThreePixels()
{
    showWidget();
    advanceTo(3);
    TestAccess::paintGL(*widget);

    const QMatrix4x4 projection = perspective(widget->size());
    bool coloured = false;
    for (int i = 0; i < 4; ++i) {
        const QPoint centre = toWindow(
            projection, TestAccess::position(*TestAccess::cube(*widget, i)), widget->size());
        for (const QPoint offset : { QPoint(0, 0), QPoint(4, 3), QPoint(-3, -4) }) {
            const QPoint at = centre + offset;
            if (!QRect(QPoint(0, 0), widget->size()).contains(at))
                continue;
            const QColor texel = GLFixture::pixel(at.x(), at.y());
            const QString text =
                QString("cube %1 at %2,%3: %4").arg(i).arg(at.x()).arg(at.y()).arg(describe(texel));
            QVERIFY2(texel.red() + texel.green() + texel.blue() > 10, qPrintable(text));
            QVERIFY2(qAbs(texel.red() - texel.green()) <= 2, qPrintable(text));
            if (qAbs(texel.blue() - texel.red()) > 10)
                coloured = true;
        }
    }
    QVERIFY2(coloured, "the cubes show no plasma colour");
}

void TestGLWidget::captionLetteringShown_data()
{
    QTest::addColumn<int>("scene");
    QTest::addColumn<QSize>("window");
    const QVector<QPair<const char *, QSize>> shapes = { { "5:4", QSize(1280, 1024) },
                                                         { "4:3", NormalSize },
                                                         { "16:9", QSize(1920, 1080) } };
    for (int scene : { 1, 2 }) {
        for (const auto &shape : shapes)
            QTest::addRow("scene %d, %s", scene, shape.first) << scene << shape.second;
    }
}

// Every letter of the captions of scenes 1 and 2 lies inside the window,
// where the scene's placement and the projection for the window's shape put
// it, at the shapes of desktop screens.
void TestGLWidget::captionLetteringShown()
{
    QFETCH(int, scene);
    QFETCH(QSize, window);

    showWidget();
    advanceTo(scene);
    const QImage picture =
        QImage(QString(":dialogs/%1.png").arg(scene)).convertToFormat(QImage::Format_ARGB32);
    const QRect ink = inked(picture);
    const QMatrix4x4 transform = perspective(window) * quadTransform(*TestAccess::dialog(*widget));
    for (const QPoint corner : { ink.topLeft(), ink.bottomRight() + QPoint(1, 1) }) {
        const QVector3D st(float(corner.x()) / picture.width(),
                           1.0f - float(corner.y()) / picture.height(), 0.0f);
        const QVector3D ndc = transform.map(st);
        QVERIFY2(qAbs(ndc.x()) <= 1.0f && qAbs(ndc.y()) <= 1.0f,
                 qPrintable(QString("the lettering's corner at texel %1,%2 lies at %3,%4 of the "
                                    "window's -1 to 1")
                                .arg(corner.x())
                                .arg(corner.y())
                                .arg(double(ndc.x()), 0, 'f', 3)
                                .arg(double(ndc.y()), 0, 'f', 3)));
    }
}

void TestGLWidget::framesStayOpaque_data()
{
    QTest::addColumn<int>("scene");
    for (int scene = 0; scene < 4; ++scene)
        QTest::addRow("scene %d", scene) << scene;
}

// Drawn where there is an alpha channel, every pixel of a frame keeps alpha
// 1, under the captions' soft edges too: a compositor that takes the
// window's alpha shows nothing through it.
void TestGLWidget::framesStayOpaque()
{
    QFETCH(int, scene);

    showWidget();
    advanceTo(scene);
    QOpenGLFramebufferObject output(NormalSize);
    QVERIFY(output.bind());
    QVERIFY(integer(GL_ALPHA_BITS) >= 8);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
    TestAccess::target(*widget).create(output.handle(), NormalSize, MultisampleTarget::Samples);
    TestAccess::paintGL(*widget);
    QCOMPARE(integer(GL_DRAW_FRAMEBUFFER_BINDING), GLint(output.handle()));
    QVector<GLubyte> pixels(NormalSize.width() * NormalSize.height() * 4);
    glReadPixels(0, 0, NormalSize.width(), NormalSize.height(), GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    output.release();

    int seeThrough = 0;
    GLubyte lowest = 255;
    for (int i = 3; i < pixels.size(); i += 4) {
        if (pixels[i] < 255)
            ++seeThrough;
        lowest = qMin(lowest, pixels[i]);
    }
    QVERIFY2(seeThrough == 0,
             qPrintable(QString("%1 pixels with alpha below 1, down to %2 of 255")
                            .arg(seeThrough)
                            .arg(lowest)));
}

// Full-screen under the window manager: the frame covers the screen, and
// leaving full-screen gives back the normal 640 x 480.
void TestGLWidget::fullScreen()
{
    showWidget(true);
    const QSize screen = widget->screen()->size();
    QTRY_COMPARE_WITH_TIMEOUT(widget->size(), screen, EventDeadline);
    widget->makeCurrent();
    QCOMPARE(viewport(), QRect(QPoint(0, 0), screen));

    const QImage image = TestAccess::plasma(*widget)->getImage()->copy();
    TestAccess::paintGL(*widget);
    const QPoint corners[] = { { 0, 0 }, { screen.width() - 1, 0 } };
    for (const QPoint &corner : corners) {
        const QColor found = GLFixture::pixel(corner.x(), corner.y());
        const QColor expected = exchangeRedBlue(image.pixel(corner.x() * 256 / screen.width(), 0));
        QVERIFY2(near(found, expected, 16),
                 qPrintable(QString("%1, expected %2").arg(describe(found), describe(expected))));
    }

    QTest::keyClick(widget.get(), Qt::Key_F);
    QTRY_COMPARE_WITH_TIMEOUT(widget->size(), NormalSize, EventDeadline);
    QVERIFY(!widget->isFullScreen());
}

QTEST_MAIN(TestGLWidget)
#include "tst_glwidget.moc"
