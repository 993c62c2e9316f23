#include "glfixture.h"
#include "multisampletarget.h"

#include <QtTest>

namespace {
const QRect Corner(0, 0, 32, 32);
const QColor Drawn(40, 200, 90);
} // namespace

class TestMultisampleTarget : public QObject
{
    Q_OBJECT

private slots:
    void drawsAtAnySize_data();
    void drawsAtAnySize();
};

void TestMultisampleTarget::drawsAtAnySize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("allSamples");
    QTest::addRow("a window") << QSize(640, 480) << true;
    // Its depth and stencil with 4 samples take 2.3 GB, more than llvmpipe
    // gives one buffer; without samples they take 576 MB.
    QTest::addRow("beyond the driver's memory") << QSize(12000, 12000) << false;
}

// Where the driver cannot make the framebuffer with every sample, it is made
// with fewer, depth and stencil still there: what is drawn reaches the
// output, never a black frame.
void TestMultisampleTarget::drawsAtAnySize()
{
    QFETCH(QSize, size);
    QFETCH(bool, allSamples);

    GLFixture gl;
    gl.resetState();
    MultisampleTarget target;
    target.create(0, size, MultisampleTarget::Samples);
    target.bind();
    QCOMPARE(target.samples() == MultisampleTarget::Samples, allSamples);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    QVERIFY(depthBits > 0);
    // Only a corner is written: the memory of the rest is never touched.
    glEnable(GL_SCISSOR_TEST);
    glScissor(Corner.x(), Corner.y(), Corner.width(), Corner.height());
    glClearColor(Drawn.redF(), Drawn.greenF(), Drawn.blueF(), 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    target.resolve(Corner);
    GL_COMPARE_PIXEL(gl, Corner.center().x(), Corner.center().y(), Drawn);
    QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
}

QTEST_MAIN(TestMultisampleTarget)
#include "tst_multisampletarget.moc"
