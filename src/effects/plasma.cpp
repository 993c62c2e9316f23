#include "plasma.h"

#include <QDateTime>
#include <QImage>
#include <QTimerEvent>

#include <array>
#include <cmath>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define PLASMA_BYTE_PERMUTES
#endif

namespace {
const int FirstInterval = 20; // ms between frames until the first stop()
// The palette turns by 3.1415 / 127.5 per entry: just short of one cycle
// over 256 entries, so that the last entry leads smoothly into the first.
const double PaletteTurn = 3.1415;
const double PaletteHalfSpan = 127.5;

const int MillisecondsPerSecond = 1000;

quint32 *wordAt(QImage *image, int x, int y)
{
    return reinterpret_cast<quint32 *>(image->scanLine(y)) + x;
}

// The colour of each intensity 0..255 in one frame.
using FrameColors = std::array<QRgb, 256>;

void lookUpColors(const FrameColors &colorOf, const quint32 *intensity, quint32 *pixel, int count)
{
    for (int i = 0; i < count; ++i)
        pixel[i] = colorOf[quint8(intensity[i])];
}

#ifdef PLASMA_BYTE_PERMUTES
#define PLASMA_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// One 256-byte channel plane of the frame's colour table, in four registers.
struct Plane
{
    __m512i quarter0, quarter1, quarter2, quarter3;
};

PLASMA_TARGET inline Plane loadPlane(const quint8 *bytes)
{
    return { _mm512_load_si512(bytes), _mm512_load_si512(bytes + 64),
             _mm512_load_si512(bytes + 128), _mm512_load_si512(bytes + 192) };
}

// Two byte permutes read 128 entries each; the index's top bit picks one.
PLASMA_TARGET inline __m512i lookUpPlane(const Plane &plane, __m512i index, __mmask64 upperHalf)
{
    return _mm512_mask_blend_epi8(upperHalf,
                                  _mm512_permutex2var_epi8(plane.quarter0, index, plane.quarter1),
                                  _mm512_permutex2var_epi8(plane.quarter2, index, plane.quarter3));
}

// The same look-up 64 pixels at a time on processors with AVX-512 VBMI (the
// plain loop does the whole frame elsewhere), one channel plane after the
// other. Intensities are 0..255, so the saturating packs that narrow them to
// bytes lose nothing; they interleave 128-bit lanes in exactly the way the
// unpacks that widen the channels back to words undo. rgb() words are always
// opaque, so alpha is a constant. Returns the number of pixels done, a
// multiple of 64.
PLASMA_TARGET int lookUpColorsInBlocks(const FrameColors &colorOf, const quint32 *intensity,
                                       quint32 *pixel, int count)
{
    alignas(64) quint8 blueBytes[256], greenBytes[256], redBytes[256];
    for (int v = 0; v < 256; ++v) {
        blueBytes[v] = quint8(qBlue(colorOf[v]));
        greenBytes[v] = quint8(qGreen(colorOf[v]));
        redBytes[v] = quint8(qRed(colorOf[v]));
    }
    const Plane bluePlane = loadPlane(blueBytes);
    const Plane greenPlane = loadPlane(greenBytes);
    const Plane redPlane = loadPlane(redBytes);
    const __m512i opaque = _mm512_set1_epi8(char(0xff));

    const int blocks = count / 64;
    for (int b = 0; b < blocks; ++b, intensity += 64, pixel += 64) {
        const __m512i low =
            _mm512_packus_epi32(_mm512_loadu_si512(intensity), _mm512_loadu_si512(intensity + 16));
        const __m512i high = _mm512_packus_epi32(_mm512_loadu_si512(intensity + 32),
                                                 _mm512_loadu_si512(intensity + 48));
        const __m512i index = _mm512_packus_epi16(low, high);
        const __mmask64 upperHalf = _mm512_movepi8_mask(index);
        const __m512i blue = lookUpPlane(bluePlane, index, upperHalf);
        const __m512i green = lookUpPlane(greenPlane, index, upperHalf);
        const __m512i red = lookUpPlane(redPlane, index, upperHalf);

        const __m512i blueGreenLow = _mm512_unpacklo_epi8(blue, green);
        const __m512i blueGreenHigh = _mm512_unpackhi_epi8(blue, green);
        const __m512i redAlphaLow = _mm512_unpacklo_epi8(red, opaque);
        const __m512i redAlphaHigh = _mm512_unpackhi_epi8(red, opaque);
        _mm512_storeu_si512(pixel, _mm512_unpacklo_epi16(blueGreenLow, redAlphaLow));
        _mm512_storeu_si512(pixel + 16, _mm512_unpackhi_epi16(blueGreenLow, redAlphaLow));
        _mm512_storeu_si512(pixel + 32, _mm512_unpacklo_epi16(blueGreenHigh, redAlphaHigh));
        _mm512_storeu_si512(pixel + 48, _mm512_unpackhi_epi16(blueGreenHigh, redAlphaHigh));
    }
    return blocks * 64;
}

bool hasBytePermutes()
{
    static const bool supported = __builtin_cpu_supports("avx512f") &&
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
    return supported;
}
#endif
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
    return (seconds * quint32(MillisecondsPerSecond) + quint32(milliseconds)) / 10u;
}

// The milliseconds are read from the epoch count rather than from
// QTime::currentTime(), which gives the same digits at a thousandth of the
// cost: it consults the time zone database on every call.
void Plasma::updatePlasma()
{
    const quint32 seconds = quint32(QDateTime::currentSecsSinceEpoch());
    const int milliseconds = int(QDateTime::currentMSecsSinceEpoch() % MillisecondsPerSecond);
    paintFrame(timeBase(seconds, milliseconds));
}

void Plasma::timerEvent(QTimerEvent *)
{
    updatePlasma();
}

// Every intensity 0..255 is looked up once per frame, so the per-pixel work
// is a table read. Both images are 32 bits per pixel and of one size, so
// their rows lie back to back in the same layout and the frame is one run.
void Plasma::paintFrame(quint32 phase)
{
    FrameColors colorOf;
    for (quint32 v = 0; v < colorOf.size(); ++v)
        colorOf[v] = palette.at((v + phase) % quint32(colors)).rgb();

    const quint32 *intensity = reinterpret_cast<const quint32 *>(plasmaMap->constBits());
    quint32 *pixel = reinterpret_cast<quint32 *>(image->bits());
    const int count = plasmaMap->width() * plasmaMap->height();
    int done = 0;
#ifdef PLASMA_BYTE_PERMUTES
    if (hasBytePermutes())
        done = lookUpColorsInBlocks(colorOf, intensity, pixel, count);
#endif
    lookUpColors(colorOf, intensity + done, pixel + done, count - done);
}

// Three sine waves: along the columns, along the rows, and radial around
// the top-left corner; their mean is the intensity 0..255.
void Plasma::generatePlasma()
{
    for (int x = 0; x < plasmaMap->width(); ++x) {
        const double a = std::sin(x / 64.0);
        for (int y = 0; y < plasmaMap->height(); ++y) {
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
