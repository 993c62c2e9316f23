// The scene-cut benchmark tells the scenes apart by a grid of pixels of each
// frame (bench/scenetrace.h): it must name each scene on the screenshots of
// the real demo whatever the grid's density, and must time a cut by the
// first frame of the next scene.

#include "scenetrace.h"

#include <QImage>
#include <QTemporaryFile>
#include <QTextStream>
#include <QtTest>

class tst_SceneTrace : public QObject
{
    Q_OBJECT

private slots:
    void namesTheSceneOfEachScreenshot_data();
    void namesTheSceneOfEachScreenshot();
    void timesEachSceneByItsFirstFrame();
};

namespace {

QVector<QRgb> grid(const QImage &image, int columns, int rows)
{
    QVector<QRgb> points;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            points.append(image.pixel((2 * c + 1) * image.width() / (2 * columns),
                                      (2 * r + 1) * image.height() / (2 * rows)));
    }
    return points;
}

// A frame line of the trace whose grid is all one colour but for the first
// points.
QString frameLine(qint64 swappedAt, const QString &ground, const QString &first, int firstCount)
{
    QString pixels;
    for (int i = 0; i < 16; ++i)
        pixels += i < firstCount ? first : ground;
    return QString("frame %1 640x480 0 50 0 %2\n").arg(swappedAt).arg(pixels);
}

} // namespace

void tst_SceneTrace::namesTheSceneOfEachScreenshot_data()
{
    QTest::addColumn<int>("scene");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    for (int scene = 0; scene < SceneTrace::Scenes; ++scene) {
        QTest::addRow("scene %d, 16 x 9", scene) << scene << 16 << 9;
        QTest::addRow("scene %d, 32 x 18", scene) << scene << 32 << 18;
        QTest::addRow("scene %d, 64 x 36", scene) << scene << 64 << 36;
    }
}

void tst_SceneTrace::namesTheSceneOfEachScreenshot()
{
    QFETCH(int, scene);
    QFETCH(int, columns);
    QFETCH(int, rows);
    const QImage shot(QString(PLOK_SCREENSHOTS_DIR "/scene-%1.png").arg(scene));
    QVERIFY(!shot.isNull());
    QCOMPARE(SceneTrace::sceneOf(grid(shot, columns, rows)), scene);
}

// A start-up frame that looks like scene 3, then scene 0, one stray frame
// of scene 1 inside it, and the scenes in turn; the window closes at the
// end.
void tst_SceneTrace::timesEachSceneByItsFirstFrame()
{
    const QString black = "000000", plasma = "4040f0", yellow = "ffd000", grey = "808080";
    QTemporaryFile file;
    QVERIFY(file.open());
    QTextStream out(&file);
    out << frameLine(100, black, plasma, 8) << frameLine(200, plasma, plasma, 0)
        << frameLine(300, plasma, plasma, 0) << frameLine(400, black, yellow, 8)
        << frameLine(500, plasma, plasma, 0) << frameLine(600, black, yellow, 8)
        << frameLine(700, black, yellow, 8) << frameLine(800, black, grey, 8)
        << frameLine(900, black, grey, 8) << frameLine(1000, black, plasma, 8) << "unmap 1100\n";
    out.flush();

    const SceneTrace trace(file.fileName());
    QCOMPARE(trace.frameCount(), 10);
    QCOMPARE(trace.firstShown(0), 200);
    QCOMPARE(trace.firstShown(1), 600);
    QCOMPARE(trace.firstShown(2), 800);
    QCOMPARE(trace.firstShown(3), 1000);
    QCOMPARE(trace.closedAt(), 1100);
    QCOMPARE(trace.strayFrames(), 1);
}

QTEST_GUILESS_MAIN(tst_SceneTrace)
#include "tst_scenetrace.moc"
