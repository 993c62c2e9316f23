#include <QFile>
#include <QImage>
#include <QProcess>
#include <QResource>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <vector>

// The compiled-in assets: the collection and its paths, the soundtrack's
// format and levels, the pictures' formats and layout, and that the
// generators in tools/ make every file again byte for byte.
class TestAssets : public QObject
{
    Q_OBJECT

private slots:
    void resolvesThroughStaticInitialiser_data();
    void resolvesThroughStaticInitialiser();
    void resolvesAfterSecondRegistration_data();
    void resolvesAfterSecondRegistration();

    void musicHeader();
    void musicLevels();
    void musicEverySecondAudible();
    void musicBuildsAtSceneCuts();

    void pictureFormat_data();
    void pictureFormat();
    void titleBadge();
    void captions_data();
    void captions();
    void credits();

    void regeneratesByteForByte();

private:
    void addPathColumns();
    void compareWithSourceFile();
};

namespace {

const char *const assetPaths[] = { "music.wav", "dialogs/0.png", "dialogs/1.png", "dialogs/2.png",
                                   "dialogs/credits.png" };

constexpr int sampleRate = 44100;
constexpr int headerSize = 44;

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QString sourceFile(const QString &path)
{
    return QStringLiteral(PLOK_RESOURCES_DIR "/") + path;
}

std::vector<qint16> musicSamples()
{
    const QByteArray bytes = contents(":music.wav");
    std::vector<qint16> samples;
    for (int i = headerSize; i + 1 < bytes.size(); i += 2)
        samples.push_back(qFromLittleEndian<qint16>(bytes.constData() + i));
    return samples;
}

double rmsDbfs(const std::vector<qint16> &samples, double from, double to)
{
    const size_t first = size_t(from * sampleRate);
    const size_t last = std::min(samples.size(), size_t(to * sampleRate));
    double sum = 0;
    for (size_t i = first; i < last; ++i)
        sum += double(samples[i]) * samples[i];
    return 20 * std::log10(std::sqrt(sum / double(last - first)) / 32768);
}

QImage picture(const QString &name)
{
    return QImage(":dialogs/" + name).convertToFormat(QImage::Format_ARGB32);
}

// Runs of consecutive rows holding any ink, as first and last row.
QVector<QPair<int, int>> inkBands(const QImage &image)
{
    QVector<QPair<int, int>> bands;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < image.width() && !ink; ++x)
            ink = qAlpha(image.pixel(x, y)) > 0;
        if (!ink)
            continue;
        if (!bands.isEmpty() && bands.last().second == y - 1)
            bands.last().second = y;
        else
            bands.append({ y, y });
    }
    return bands;
}

// The leftmost and rightmost inked columns within rows first to last.
QPair<int, int> inkColumns(const QImage &image, int first, int last)
{
    QPair<int, int> columns(image.width(), -1);
    for (int y = first; y <= last; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0) {
                columns.first = std::min(columns.first, x);
                columns.second = std::max(columns.second, x);
            }
        }
    }
    return columns;
}

struct AlphaCensus
{
    int transparent = 0;
    int partial = 0;
    int opaque = 0;
    int notWhite = 0; // visible pixels of any colour but white
};

AlphaCensus census(const QImage &image)
{
    AlphaCensus counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const int alpha = qAlpha(pixel);
            if (alpha == 0)
                ++counts.transparent;
            else if (alpha == 255)
                ++counts.opaque;
            else
                ++counts.partial;
            if (alpha > 0 && (pixel & 0xffffff) != 0xffffff)
                ++counts.notWhite;
        }
    }
    return counts;
}

} // namespace

void TestAssets::addPathColumns()
{
    QTest::addColumn<QString>("path");
    for (const char *path : assetPaths)
        QTest::newRow(path) << QString::fromLatin1(path);
}

void TestAssets::compareWithSourceFile()
{
    QFETCH(QString, path);
    const QResource resource(":" + path);
    QVERIFY2(resource.isValid(), qPrintable(path));
    QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
    const QByteArray expected = contents(sourceFile(path));
    QVERIFY(!expected.isEmpty());
    QVERIFY(contents(":" + path) == expected);
}

// Nothing in this program has called Q_INIT_RESOURCE yet: the collection's
// static initialiser alone has made the paths resolve.
void TestAssets::resolvesThroughStaticInitialiser_data()
{
    addPathColumns();
}

void TestAssets::resolvesThroughStaticInitialiser()
{
    compareWithSourceFile();
}

void TestAssets::resolvesAfterSecondRegistration_data()
{
    addPathColumns();
}

void TestAssets::resolvesAfterSecondRegistration()
{
    Q_INIT_RESOURCE(resources);
    compareWithSourceFile();
}

void TestAssets::musicHeader()
{
    const QByteArray bytes = contents(":music.wav");
    QCOMPARE(bytes.size(), 4064300);
    const QByteArray expected = QByteArray::fromHex("52494646"
                                                    "24043e00" // RIFF, size 4064292
                                                    "57415645"
                                                    "666d7420"
                                                    "10000000" // WAVE, "fmt " of 16 bytes
                                                    "0100"
                                                    "0100" // PCM, one channel
                                                    "44ac0000"
                                                    "88580100" // 44100 Hz, 88200 bytes/s
                                                    "0200"
                                                    "1000" // block align 2, 16 bits
                                                    "64617461"
                                                    "00043e00"); // data, 4064256 bytes
    QCOMPARE(bytes.left(headerSize).toHex(), expected.toHex());
    QCOMPARE(musicSamples().size(), size_t(2032128));
}

void TestAssets::musicLevels()
{
    const std::vector<qint16> samples = musicSamples();
    int peak = 0;
    for (qint16 sample : samples) {
        QVERIFY2(sample != 32767 && sample != -32768, "clipped sample");
        peak = std::max(peak, std::abs(int(sample)));
    }
    const double peakDbfs = 20 * std::log10(peak / 32768.0);
    QVERIFY2(peakDbfs >= -3 && peakDbfs <= -0.5, qPrintable(QString::number(peakDbfs)));
    const double rms = rmsDbfs(samples, 0, 46.08);
    QVERIFY2(rms >= -20 && rms <= -12, qPrintable(QString::number(rms)));
}

void TestAssets::musicEverySecondAudible()
{
    const std::vector<qint16> samples = musicSamples();
    for (int second = 0; second < 45; ++second) {
        const double rms = rmsDbfs(samples, second, second + 1);
        QVERIFY2(rms > -40, qPrintable(QString("second %1: %2 dBFS").arg(second).arg(rms)));
    }
}

// Each scene cut brings a new section, and each section is fuller than the
// one before: the music builds towards the credits.
void TestAssets::musicBuildsAtSceneCuts()
{
    const std::vector<qint16> samples = musicSamples();
    const double cuts[] = { 0, 7.0, 14.5, 22.0, 45.0 };
    for (int i = 1; i + 1 < int(std::size(cuts)); ++i) {
        const double before = rmsDbfs(samples, cuts[i - 1], cuts[i]);
        const double after = rmsDbfs(samples, cuts[i], cuts[i + 1]);
        QVERIFY2(
            after > before + 0.5,
            qPrintable(QString("at %1 s: %2 then %3 dBFS").arg(cuts[i]).arg(before).arg(after)));
    }
}

void TestAssets::pictureFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("title") << "0.png" << QSize(512, 512);
    QTest::newRow("one cube") << "1.png" << QSize(512, 64);
    QTest::newRow("lit cubes") << "2.png" << QSize(512, 64);
    QTest::newRow("credits") << "credits.png" << QSize(256, 1024);
}

void TestAssets::pictureFormat()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);

    // The IHDR chunk straight from the file: size, 8 bits, RGBA, no interlace.
    const QByteArray bytes = contents(":dialogs/" + name);
    QVERIFY(bytes.startsWith("\x89PNG\r\n\x1a\n"));
    QCOMPARE(bytes.mid(12, 4), QByteArray("IHDR"));
    QCOMPARE(qFromBigEndian<quint32>(bytes.constData() + 16), quint32(size.width()));
    QCOMPARE(qFromBigEndian<quint32>(bytes.constData() + 20), quint32(size.height()));
    QCOMPARE(int(bytes[24]), 8);
    QCOMPARE(int(bytes[25]), 6);
    QCOMPARE(int(bytes[28]), 0);

    // The ground is exactly transparent black, and the border is all ground.
    const QImage image = picture(name);
    QCOMPARE(image.size(), size);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const bool border = x == 0 || y == 0 || x == size.width() - 1 || y == size.height() - 1;
            if (qAlpha(pixel) == 0 || border)
                QVERIFY2(pixel == 0, qPrintable(QString("(%1, %2)").arg(x).arg(y)));
        }
    }
}

void TestAssets::titleBadge()
{
    const QImage image = picture("0.png");
    const AlphaCensus counts = census(image);
    const double transparentShare = double(counts.transparent) / (image.width() * image.height());
    QVERIFY2(transparentShare >= 0.65 && transparentShare <= 0.85,
             qPrintable(QString::number(transparentShare)));

    // The opaque badge: an oval, mostly dark red, with bright lettering.
    int darkRed = 0;
    int bright = 0;
    QRect badge;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) != 255)
                continue;
            badge |= QRect(x, y, 1, 1);
            if (qRed(pixel) >= 96 && qRed(pixel) <= 176 && qGreen(pixel) < 48 && qBlue(pixel) < 48)
                ++darkRed;
            if (qRed(pixel) > 224 && qGreen(pixel) > 200)
                ++bright;
        }
    }
    QVERIFY2(darkRed > counts.opaque / 2, qPrintable(QString::number(darkRed)));
    QVERIFY2(bright > 2000, qPrintable(QString::number(bright)));
    QVERIFY(badge.width() > badge.height() * 3 / 2);
    QVERIFY(badge.contains(image.rect().center()));

    // Down the middle the white glow fades in through partial alpha before
    // the badge begins.
    int previous = 0;
    int glow = 0;
    for (int y = 0; qAlpha(image.pixel(image.width() / 2, y)) < 255; ++y) {
        const QRgb pixel = image.pixel(image.width() / 2, y);
        QVERIFY(qAlpha(pixel) >= previous);
        previous = qAlpha(pixel);
        if (qAlpha(pixel) > 0 && qAlpha(pixel) < 200) {
            QCOMPARE(pixel & 0xffffff, QRgb(0xffffff));
            ++glow;
        }
    }
    QVERIFY2(glow >= 12, qPrintable(QString::number(glow)));
}

void TestAssets::captions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("minimumWidth");
    QTest::newRow("one cube") << "1.png" << 1 << 384;
    QTest::newRow("lit cubes") << "2.png" << 2 << 128;
}

void TestAssets::captions()
{
    QFETCH(QString, name);
    QFETCH(int, lines);
    QFETCH(int, minimumWidth);

    // White lettering with anti-aliased edges.
    const QImage image = picture(name);
    const AlphaCensus counts = census(image);
    QCOMPARE(counts.notWhite, 0);
    QVERIFY(counts.opaque > 1000);
    QVERIFY(counts.partial > 200);

    // The lines, centred on one another (where the strip lies on the screen
    // puts them in the strip: tst_glwidget).
    const QVector<QPair<int, int>> bands = inkBands(image);
    QCOMPARE(bands.size(), lines);
    const QPair<int, int> first = inkColumns(image, bands.first().first, bands.first().second);
    for (const auto &band : bands) {
        QVERIFY(band.second - band.first >= 16);
        const QPair<int, int> columns = inkColumns(image, band.first, band.second);
        QVERIFY(columns.second - columns.first + 1 >= minimumWidth);
        const int offCentre = (columns.first + columns.second) - (first.first + first.second);
        QVERIFY2(std::abs(offCentre) <= 4,
                 qPrintable(QString("columns %1 to %2, the first line's %3 to %4")
                                .arg(columns.first)
                                .arg(columns.second)
                                .arg(first.first)
                                .arg(first.second)));
    }
}

void TestAssets::credits()
{
    // Hard-edged white lettering.
    const QImage image = picture("credits.png");
    const AlphaCensus counts = census(image);
    QCOMPARE(counts.partial, 0);
    QCOMPARE(counts.notWhite, 0);

    // Twelve lines in five groups, from the top to about four fifths down;
    // narrow gaps within a group, wide ones between.
    const QVector<QPair<int, int>> bands = inkBands(image);
    QCOMPARE(bands.size(), 12);
    QVERIFY(bands.first().first < image.height() / 20);
    QVERIFY(bands.last().second >= image.height() * 3 / 4);
    QVERIFY(bands.last().second < image.height() * 4 / 5);
    int groups = 1;
    for (int i = 1; i < bands.size(); ++i) {
        const int gap = bands[i].first - bands[i - 1].second - 1;
        QVERIFY2(gap <= 16 || gap >= 64, qPrintable(QString::number(gap)));
        if (gap >= 64)
            ++groups;
    }
    QCOMPARE(groups, 5);
}

void TestAssets::regeneratesByteForByte()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    QVERIFY(QDir(directory.path()).mkdir("dialogs"));
    QCOMPARE(QProcess::execute(PLOK_MAKEMUSIC, { directory.filePath("music.wav") }), 0);
    QCOMPARE(QProcess::execute(PLOK_MAKEPICTURES, { directory.filePath("dialogs") }), 0);
    for (const char *path : assetPaths) {
        const QByteArray made = contents(directory.filePath(path));
        const QByteArray committed = contents(sourceFile(path));
        QVERIFY2(!made.isEmpty(), path);
        QVERIFY2(made == committed, path);
    }
}

QTEST_GUILESS_MAIN(TestAssets)
#include "tst_assets.moc"
