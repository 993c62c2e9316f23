#include "testaccess.h"

#include <QAbstractEventDispatcher>
#include <QDateTime>
#include <QImage>
#include <QTimerEvent>
#include <QtTest>

#include <cmath>
#include <memory>
#include <set>

namespace {
const QSize DemoSize(256, 256);
const int DemoColors = 256;
const QRgb FirstEntry = qRgb(255, 127, 127);

// The plasma written out the plain way, pixel by pixel in doubles, to hold
// the generator's palette, field and frames against.
class ReferencePlasma
{
public:
    ReferencePlasma(QSize size, int colors)
        : size(size)
        , colors(colors)
    {
        for (int i = 0; i < colors; ++i)
            palette.append(entry(i));
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x)
                field.append(intensity(x, y));
        }
    }

    static QRgb entry(int i)
    {
        const double angle = i * 3.1415 / 127.5;
        const int greenBlue = int(127.5 + 127.5 * std::sin(angle));
        QColor color;
        color.setRed(int(127.5 + 127.5 * std::cos(angle)));
        color.setGreen(greenBlue);
        color.setBlue(greenBlue);
        return color.rgb();
    }

    static int intensity(int x, int y)
    {
        const double a = std::sin(x / 64.0);
        const double b = std::sin(y / 32.0);
        const double c = std::sin(std::sqrt(double(x * x + y * y)) / 32.0);
        return int((127.5 + 127.5 * a) + (127.5 + 127.5 * b) + (127.5 + 127.5 * c)) / 3;
    }

    QRgb pixel(int x, int y, quint32 phase) const
    {
        return palette[(quint32(field[y * size.width() + x]) + phase) % quint32(colors)];
    }

    // Empty when every word of the frame is the one painted at the phase,
    // otherwise where the first difference lies.
    QString differenceFrom(const QImage &frame, quint32 phase) const
    {
        if (frame.size() != size || frame.format() != QImage::Format_ARGB32)
            return QStringLiteral("frame is not a %1 x %2 ARGB32 image")
                .arg(size.width())
                .arg(size.height());
        for (int y = 0; y < size.height(); ++y) {
            const auto *word = reinterpret_cast<const quint32 *>(frame.constScanLine(y));
            for (int x = 0; x < size.width(); ++x) {
                if (word[x] != pixel(x, y, phase))
                    return QStringLiteral("pixel (%1, %2) at phase %3 is %4, expected %5")
                        .arg(x)
                        .arg(y)
                        .arg(phase)
                        .arg(word[x], 8, 16, QLatin1Char('0'))
                        .arg(pixel(x, y, phase), 8, 16, QLatin1Char('0'));
            }
        }
        return {};
    }

private:
    QSize size;
    int colors;
    QVector<QRgb> palette;
    QVector<int> field;
};

// The wall clock in milliseconds, cut to 32 bits as the plasma's time base
// cuts it.
quint32 clockMilliseconds()
{
    return quint32(QDateTime::currentMSecsSinceEpoch());
}

// Whether the frame was painted at a phase the wall clock showed between two
// readings. The generator reads seconds and milliseconds separately, so when
// the second turns between them its phase lies a second behind the clock.
bool paintedBetween(const QImage &frame, const ReferencePlasma &reference, quint32 fromMs,
                    quint32 toMs)
{
    const quint32 secondMs = 1000;
    std::set<quint32> phases;
    for (quint32 n = 0; n <= toMs - fromMs; ++n) {
        phases.insert((fromMs + n) / 10);
        phases.insert((fromMs + n - secondMs) / 10);
    }
    for (quint32 phase : phases) {
        if (reference.differenceFrom(frame, phase).isEmpty())
            return true;
    }
    return false;
}

QList<QAbstractEventDispatcher::TimerInfo> timersOf(Plasma &plasma)
{
    return QAbstractEventDispatcher::instance()->registeredTimers(&plasma);
}
} // namespace

class TestPlasma : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void palette_data();
    void palette();
    void paletteGreenEqualsBlue();
    void paletteChannelRuns_data();
    void paletteChannelRuns();
    void paletteForOtherColorCounts_data();
    void paletteForOtherColorCounts();
    void secondCycleOf512Colors();

    void imagesLayout();
    void field_data();
    void field();
    void fieldRange();

    void timeBase_data();
    void timeBase();
    void exampleTimeShowsEntry75();

    void frameMatchesReference_data();
    void frameMatchesReference();
    void singleColorPaintsEveryPixelAlike();
    void pixelBytesInMemoryOrder();
    void equalIntensitiesShareAColor();

    void constructorPaintsClockFrame();
    void updateTakesPhaseFromClock();
    void everyTimerEventRepaints();
    void timerIntervals();
    void imagePointerSurvivesStopAndStart();
    void stoppedImageStaysStill();
    void runningImageMoves();
    void restartFollowsClock();
    void emptySize();

private:
    std::unique_ptr<Plasma> demo;
    std::unique_ptr<ReferencePlasma> demoReference;
};

void TestPlasma::initTestCase()
{
    demo = std::make_unique<Plasma>(DemoSize, DemoColors, nullptr);
    demoReference = std::make_unique<ReferencePlasma>(DemoSize, DemoColors);
}

void TestPlasma::cleanupTestCase()
{
    demo.reset();
}

void TestPlasma::palette_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");

    QTest::addRow("0") << 0 << 255 << 127 << 127;
    QTest::addRow("1") << 1 << 254 << 130 << 130;
    QTest::addRow("2") << 2 << 254 << 133 << 133;
    QTest::addRow("3") << 3 << 254 << 136 << 136;
    QTest::addRow("4") << 4 << 254 << 140 << 140;
    QTest::addRow("32") << 32 << 217 << 217 << 217;
    QTest::addRow("64") << 64 << 126 << 254 << 254;
    QTest::addRow("127") << 127 << 0 << 129 << 129;
    QTest::addRow("128") << 128 << 0 << 125 << 125;
    QTest::addRow("191") << 191 << 126 << 0 << 0;
    QTest::addRow("192") << 192 << 129 << 0 << 0;
    QTest::addRow("255, short of a full turn") << 255 << 254 << 127 << 127;
}

void TestPlasma::palette()
{
    QFETCH(int, index);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);

    const QVector<QColor> &palette = TestAccess::palette(*demo);
    QCOMPARE(palette.size(), DemoColors);
    const QColor color = palette.at(index);
    QCOMPARE(color.spec(), QColor::Rgb);
    QCOMPARE(color.red(), red);
    QCOMPARE(color.green(), green);
    QCOMPARE(color.blue(), blue);
    QCOMPARE(color.alpha(), 255);
    QCOMPARE(color.rgb(), 0xff000000u + quint32(red * 65536 + green * 256 + blue));
}

void TestPlasma::paletteGreenEqualsBlue()
{
    const QVector<QColor> &palette = TestAccess::palette(*demo);
    for (int i = 0; i < palette.size(); ++i)
        QVERIFY2(palette[i].green() == palette[i].blue(), qPrintable(QString::number(i)));
}

// Where a channel takes a value: exactly the entries first..last (none when
// first is -1).
void TestPlasma::paletteChannelRuns_data()
{
    QTest::addColumn<int>("channel"); // 0 red, 1 green, 2 blue
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");

    QTest::addRow("red 255 only at 0") << 0 << 255 << 0 << 0;
    QTest::addRow("green never 255") << 1 << 255 << -1 << -1;
    QTest::addRow("blue never 255") << 2 << 255 << -1 << -1;
    QTest::addRow("red 0") << 0 << 0 << 123 << 132;
    QTest::addRow("green 0") << 1 << 0 << 187 << 196;
    QTest::addRow("blue 0") << 2 << 0 << 187 << 196;
    QTest::addRow("green top") << 1 << 254 << 59 << 68;
    QTest::addRow("blue top") << 2 << 254 << 59 << 68;
}

void TestPlasma::paletteChannelRuns()
{
    QFETCH(int, channel);
    QFETCH(int, value);
    QFETCH(int, first);
    QFETCH(int, last);

    const QVector<QColor> &palette = TestAccess::palette(*demo);
    for (int i = 0; i < palette.size(); ++i) {
        const int channels[] = { palette[i].red(), palette[i].green(), palette[i].blue() };
        const bool inRun = i >= first && i <= last;
        QVERIFY2((channels[channel] == value) == inRun, qPrintable(QString::number(i)));
    }
}

// The angle step does not depend on the number of colours: any palette is
// the start of the same sequence.
void TestPlasma::paletteForOtherColorCounts_data()
{
    QTest::addColumn<int>("colors");
    QTest::addRow("1") << 1;
    QTest::addRow("128, half a cycle") << 128;
    QTest::addRow("512, two cycles") << 512;
}

void TestPlasma::paletteForOtherColorCounts()
{
    QFETCH(int, colors);

    const Plasma plasma(DemoSize, colors, nullptr);
    const QVector<QColor> &palette = TestAccess::palette(plasma);
    const QVector<QColor> &demoPalette = TestAccess::palette(*demo);
    QCOMPARE(palette.size(), colors);
    for (int i = 0; i < colors; ++i) {
        if (i < DemoColors)
            QCOMPARE(palette[i].rgb(), demoPalette[i].rgb());
        QCOMPARE(palette[i].rgb(), ReferencePlasma::entry(i));
    }
}

void TestPlasma::secondCycleOf512Colors()
{
    const Plasma plasma(DemoSize, 512, nullptr);
    const QVector<QColor> &palette = TestAccess::palette(plasma);
    QCOMPARE(palette[256].rgb(), qRgb(254, 130, 130));
    QCOMPARE(palette[256].rgb(), TestAccess::palette(*demo)[1].rgb());
}

void TestPlasma::imagesLayout()
{
    const QImage *images[] = { demo->getImage(), &TestAccess::plasmaMap(*demo) };
    for (const QImage *image : images) {
        QCOMPARE(image->size(), DemoSize);
        QCOMPARE(image->format(), QImage::Format_ARGB32);
        QCOMPARE(image->bytesPerLine(), 1024);
    }
}

void TestPlasma::field_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<quint32>("intensity");

    QTest::addRow("(0, 0), sum 382.5") << 0 << 0 << 127u;
    QTest::addRow("(1, 0)") << 1 << 0 << 129u;
    QTest::addRow("(0, 1)") << 0 << 1 << 130u;
    QTest::addRow("(32, 0)") << 32 << 0 << 183u;
    QTest::addRow("(64, 0)") << 64 << 0 << 201u;
    QTest::addRow("(0, 32)") << 0 << 32 << 199u;
    QTest::addRow("(3, 4)") << 3 << 4 << 141u;
    QTest::addRow("(128, 128)") << 128 << 128 << 109u;
    QTest::addRow("(255, 255)") << 255 << 255 << 97u;
}

// The whole word holds the intensity: the upper three bytes are zero.
void TestPlasma::field()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(quint32, intensity);

    const QImage &map = TestAccess::plasmaMap(*demo);
    QCOMPARE(reinterpret_cast<const quint32 *>(map.constScanLine(y))[x], intensity);
    QCOMPARE(map.pixel(x, y), intensity);
}

void TestPlasma::fieldRange()
{
    const QImage &map = TestAccess::plasmaMap(*demo);
    quint32 lowest = 0xffffffffu;
    quint32 highest = 0;
    for (int y = 0; y < map.height(); ++y) {
        const auto *word = reinterpret_cast<const quint32 *>(map.constScanLine(y));
        for (int x = 0; x < map.width(); ++x) {
            QCOMPARE(word[x], quint32(ReferencePlasma::intensity(x, y)));
            lowest = qMin(lowest, word[x]);
            highest = qMax(highest, word[x]);
        }
    }
    QCOMPARE(lowest, 42u);
    QCOMPARE(highest, 251u);
}

void TestPlasma::timeBase_data()
{
    QTest::addColumn<quint32>("seconds");
    QTest::addColumn<int>("milliseconds");
    QTest::addColumn<quint32>("phase");

    QTest::addRow("epoch") << 0u << 0 << 0u;
    QTest::addRow("tens of ms") << 0u << 999 << 99u;
    QTest::addRow("1e9 s, product wraps") << 1000000000u << 0 << 356758732u;
    QTest::addRow("1e9 s and 999 ms") << 1000000000u << 999 << 356758832u;
    QTest::addRow("largest phase") << 4294967u << 295 << 429496729u;
    QTest::addRow("sum wraps to 0") << 4294967u << 296 << 0u;
    QTest::addRow("last second of 32 bits") << 4294967295u << 0 << 429496629u;
}

void TestPlasma::timeBase()
{
    QFETCH(quint32, seconds);
    QFETCH(int, milliseconds);
    QFETCH(quint32, phase);

    QCOMPARE(Plasma::timeBase(seconds, milliseconds), phase);
}

void TestPlasma::exampleTimeShowsEntry75()
{
    Plasma plasma(DemoSize, DemoColors, nullptr);
    plasma.paintFrame(Plasma::timeBase(1000000000u, 0));
    QCOMPARE(TestAccess::plasmaMap(plasma).pixel(0, 0), 127u);
    QCOMPARE(plasma.getImage()->pixel(0, 0), TestAccess::palette(plasma)[75].rgb());
    QCOMPARE(plasma.getImage()->pixel(0, 0), ReferencePlasma::entry(75));
}

void TestPlasma::frameMatchesReference_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("colors");
    QTest::addColumn<quint32>("phase");

    const quint32 demoPhases[] = { 0u,         1u,         127u,       255u,      256u,
                                   356758732u, 400000001u, 429496000u, 429496729u };
    for (quint32 phase : demoPhases)
        QTest::addRow("256 colours, phase %u", phase) << DemoSize << DemoColors << phase;

    const int otherColors[] = { 1, 100, 128, 300, 512 };
    for (int colors : otherColors) {
        for (quint32 phase : { 7u, 356758732u, 429496729u })
            QTest::addRow("%d colours, phase %u", colors, phase) << DemoSize << colors << phase;
    }

    // Sizes whose pixel count is no multiple of 64, wider than high and
    // higher than wide.
    QTest::addRow("97 x 61") << QSize(97, 61) << DemoColors << 429496001u;
    QTest::addRow("5 x 300") << QSize(5, 300) << 200 << 12345u;
    QTest::addRow("3 x 1") << QSize(3, 1) << DemoColors << 3u;
}

void TestPlasma::frameMatchesReference()
{
    QFETCH(QSize, size);
    QFETCH(int, colors);
    QFETCH(quint32, phase);

    Plasma plasma(size, colors, nullptr);
    plasma.paintFrame(phase);
    const QString difference =
        ReferencePlasma(size, colors).differenceFrom(*plasma.getImage(), phase);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestPlasma::singleColorPaintsEveryPixelAlike()
{
    Plasma plasma(DemoSize, 1, nullptr);
    for (quint32 phase : { 0u, 1u, 255u, 356758732u, 429496729u }) {
        plasma.paintFrame(phase);
        const QImage &image = *plasma.getImage();
        for (int y = 0; y < image.height(); ++y) {
            const auto *word = reinterpret_cast<const quint32 *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(word[x], FirstEntry);
        }
    }
}

// Pixel (0, 0) has intensity 127, so at phase 0 it shows entry 127,
// (0, 129, 129): blue, green, red, alpha in memory.
void TestPlasma::pixelBytesInMemoryOrder()
{
    if (QSysInfo::ByteOrder != QSysInfo::LittleEndian)
        QSKIP("byte order of the words is that of a little-endian machine");
    Plasma plasma(DemoSize, DemoColors, nullptr);
    plasma.paintFrame(0);
    const uchar *bytes = plasma.getImage()->constBits();
    QCOMPARE(int(bytes[0]), 129);
    QCOMPARE(int(bytes[1]), 129);
    QCOMPARE(int(bytes[2]), 0);
    QCOMPARE(int(bytes[3]), 255);
}

void TestPlasma::equalIntensitiesShareAColor()
{
    Plasma plasma(DemoSize, DemoColors, nullptr);
    const QImage &map = TestAccess::plasmaMap(plasma);
    const QImage &image = *plasma.getImage();
    for (quint32 phase : { 0u, 100u, 356758732u }) {
        plasma.paintFrame(phase);
        QHash<QRgb, QRgb> colorOf;
        QSet<QRgb> colors;
        for (int y = 0; y < map.height(); ++y) {
            for (int x = 0; x < map.width(); ++x) {
                const QRgb color = colorOf.value(map.pixel(x, y), image.pixel(x, y));
                QCOMPARE(image.pixel(x, y), color);
                colorOf.insert(map.pixel(x, y), color);
                colors.insert(color);
            }
        }
        // The intensities span less than one 256-entry cycle, so distinct
        // intensities also show distinct colours.
        QCOMPARE(colors.size(), colorOf.size());
    }
}

void TestPlasma::constructorPaintsClockFrame()
{
    const quint32 before = clockMilliseconds();
    Plasma plasma(DemoSize, DemoColors, nullptr);
    const quint32 after = clockMilliseconds();
    QVERIFY(paintedBetween(*plasma.getImage(), *demoReference, before, after));
}

void TestPlasma::updateTakesPhaseFromClock()
{
    Plasma plasma(DemoSize, DemoColors, nullptr);
    for (int round = 0; round < 3; ++round) {
        plasma.paintFrame(clockMilliseconds() / 10 + 128);
        const quint32 before = clockMilliseconds();
        plasma.updatePlasma();
        const quint32 after = clockMilliseconds();
        QVERIFY(paintedBetween(*plasma.getImage(), *demoReference, before, after));
    }
}

// A timer event repaints whichever timer it comes from.
void TestPlasma::everyTimerEventRepaints()
{
    Plasma plasma(DemoSize, DemoColors, nullptr);
    plasma.stop();
    plasma.paintFrame(clockMilliseconds() / 10 + 128);
    const quint32 before = clockMilliseconds();
    QTimerEvent event(TestAccess::timerId(plasma) + 1000);
    QCoreApplication::sendEvent(&plasma, &event);
    const quint32 after = clockMilliseconds();
    QVERIFY(paintedBetween(*plasma.getImage(), *demoReference, before, after));
}

void TestPlasma::timerIntervals()
{
    Plasma plasma(DemoSize, DemoColors, nullptr);
    auto timers = timersOf(plasma);
    QCOMPARE(timers.size(), 1);
    QCOMPARE(timers[0].timerId, TestAccess::timerId(plasma));
    QCOMPARE(timers[0].interval, 20);

    plasma.stop();
    QVERIFY(timersOf(plasma).isEmpty());

    plasma.start(30);
    timers = timersOf(plasma);
    QCOMPARE(timers.size(), 1);
    QCOMPARE(timers[0].timerId, TestAccess::timerId(plasma));
    QCOMPARE(timers[0].interval, 30);
}

void TestPlasma::imagePointerSurvivesStopAndStart()
{
    Plasma plasma(DemoSize, DemoColors, nullptr);
    QImage *image = plasma.getImage();
    const uchar *bits = image->constBits();
    plasma.stop();
    QCOMPARE(plasma.getImage(), image);
    plasma.start(30);
    QCOMPARE(plasma.getImage(), image);
    plasma.updatePlasma();
    QCOMPARE(plasma.getImage(), image);
    QCOMPARE(image->constBits(), bits);
}

// Meanwhile a running plasma beside the stopped one moves.
void TestPlasma::stoppedImageStaysStill()
{
    Plasma plasma(DemoSize, DemoColors, nullptr);
    plasma.stop();
    const QImage frame = plasma.getImage()->copy();
    Plasma running(DemoSize, DemoColors, nullptr);
    const QImage runningFrame = running.getImage()->copy();
    QTRY_VERIFY(*running.getImage() != runningFrame);
    QCOMPARE(*plasma.getImage(), frame);
}

void TestPlasma::runningImageMoves()
{
    Plasma plasma(DemoSize, DemoColors, nullptr);
    const QImage frame = plasma.getImage()->copy();
    QTRY_VERIFY(*plasma.getImage() != frame);
}

// start() paints nothing by itself; the next tick paints the clock's phase,
// not one continuing from where the plasma stopped.
void TestPlasma::restartFollowsClock()
{
    Plasma plasma(DemoSize, DemoColors, nullptr);
    plasma.stop();
    const QImage stopped = plasma.getImage()->copy();
    QTest::qWait(100);

    const quint32 restart = clockMilliseconds();
    plasma.start(30);
    QCOMPARE(*plasma.getImage(), stopped);
    QTRY_VERIFY(*plasma.getImage() != stopped);
    QVERIFY(paintedBetween(*plasma.getImage(), *demoReference, restart, clockMilliseconds()));
}

void TestPlasma::emptySize()
{
    Plasma plasma(QSize(0, 0), DemoColors, nullptr);
    QVERIFY(plasma.getImage() != nullptr);
    QVERIFY(plasma.getImage()->isNull());
    plasma.updatePlasma();
}

QTEST_GUILESS_MAIN(TestPlasma)

#include "tst_plasma.moc"
