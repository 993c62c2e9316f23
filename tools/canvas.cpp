#include "canvas.h"

#include "coverage.h"

#include <cstdint>

namespace {

constexpr int opaque = 255 * 255;

int divideRounded(int64_t value, int64_t divisor)
{
    return int((value + divisor / 2) / divisor);
}

int over(int source, int destination, int sourceAlpha)
{
    return source + divideRounded(int64_t(destination) * (opaque - sourceAlpha), opaque);
}

int unpremultiplied(int channel, int alpha)
{
    return qMin(255, divideRounded(channel * 255, alpha));
}

} // namespace

Canvas::Canvas(QSize size)
    : size(size)
    , pixels(size_t(size.width()) * size_t(size.height()))
{
}

void Canvas::paint(const Coverage &coverage, QRgb colour)
{
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int alpha = coverage.at(x, y) * qAlpha(colour);
            if (alpha == 0)
                continue;
            Pixel &pixel = pixels[size_t(y) * size_t(size.width()) + size_t(x)];
            pixel.red = over(divideRounded(qRed(colour) * alpha, 255), pixel.red, alpha);
            pixel.green = over(divideRounded(qGreen(colour) * alpha, 255), pixel.green, alpha);
            pixel.blue = over(divideRounded(qBlue(colour) * alpha, 255), pixel.blue, alpha);
            pixel.alpha = over(alpha, pixel.alpha, alpha);
        }
    }
}

QImage Canvas::image() const
{
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const Pixel &pixel = pixels[size_t(y) * size_t(size.width()) + size_t(x)];
            const int alpha = divideRounded(pixel.alpha, 255);
            line[x] = alpha == 0 ? qRgba(0, 0, 0, 0)
                                 : qRgba(unpremultiplied(pixel.red, pixel.alpha),
                                         unpremultiplied(pixel.green, pixel.alpha),
                                         unpremultiplied(pixel.blue, pixel.alpha), alpha);
        }
    }
    return image;
}
