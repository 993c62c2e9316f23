#include "plasma.h"

#include <QDateTime>
#include <QImage>
#include <QTime>
#include <QTimerEvent>

#include <array>
#include <cmath>

namespace {
const int FirstInterval = 20; // ms between frames until the first stop()
// The palette turns by 3.1415 / 127.5 per entry: just short of one cycle
// over 256 entries, so that the last entry leads smoothly into the first.
const double PaletteTurn = 3.1415;
const double PaletteHalfSpan = 127.5;

quint32 *wordAt(QImage *image, int x, int y)
{
    return reinterpret_cast<quint32 *>(image->scanLine(y)) + x;
}
} // namespace

Plasma::Plasma(QSize size, int colors, QObject *parent)
    : QObject(parent)
    , colors(colors)
    , image(new QImage(size, QImage::Format_ARGB32))
    , plasmaMap(new QImage(size, QImage::Format_ARGB32))
{
    generatePalette();
    generatePlasma();
    updatePlasma();
    timerId = startTimer(FirstInterval);
}

Plasma::~Plasma()
{
    delete image;
    delete plasmaMap;
}

QImage *Plasma::getImage()
{
    return image;
}

void Plasma::start(int msec)
{
    timerId = startTimer(msec);
}

void Plasma::stop()
{
    killTimer(timerId);
}

// Seconds and milliseconds come from two separate clock readings; the
// millisecond count wraps in 32 bits before it is cut to tens.
quint32 Plasma::timeBase(quint32 seconds, int milliseconds)
{
    return (seconds * 1000u + quint32(milliseconds)) / 10u;
}

void Plasma::updatePlasma()
{
    const quint32 seconds = quint32(QDateTime::currentSecsSinceEpoch());
    const int milliseconds = QTime::currentTime().msec();
    paintFrame(timeBase(seconds, milliseconds));
}

void Plasma::timerEvent(QTimerEvent *)
{
    updatePlasma();
}

// Every intensity 0..255 is looked up once per frame, so the per-pixel work
// is a table read.
void Plasma::paintFrame(quint32 phase)
{
    std::array<QRgb, 256> colorOf;
    for (quint32 v = 0; v < colorOf.size(); ++v)
        colorOf[v] = palette[(v + phase) % quint32(colors)].rgb();

    const int width = plasmaMap->width();
    for (int y = 0; y < plasmaMap->height(); ++y) {
        const quint32 *intensity = wordAt(plasmaMap, 0, y);
        quint32 *pixel = wordAt(image, 0, y);
        for (int x = 0; x < width; ++x)
            pixel[x] = colorOf[quint8(intensity[x])];
    }
}

// Three sine waves: along the columns, along the rows, and radial around
// the top-left corner; their mean is the intensity 0..255.
void Plasma::generatePlasma()
{
    for (int x = 0; x < plasmaMap->width(); ++x) {
        for (int y = 0; y < plasmaMap->height(); ++y) {
            const double a = std::sin(x / 64.0);
            const double b = std::sin(y / 32.0);
            const int d = x * x + y * y;
            const double c = std::sin(std::sqrt(double(d)) / 32.0);
            const double s = (127.5 + 127.5 * a) + (127.5 + 127.5 * b) + (127.5 + 127.5 * c);
            *wordAt(plasmaMap, x, y) = quint32(int(s) / 3);
        }
    }
}

void Plasma::generatePalette()
{
    for (int i = 0; i < colors; ++i) {
        const double angle = i * PaletteTurn / PaletteHalfSpan;
        const int red = int(127.5 + 127.5 * std::cos(angle));
        const int greenBlue = int(127.5 + 127.5 * std::sin(angle));
        palette.append(QColor(red, greenBlue, greenBlue));
    }
}
