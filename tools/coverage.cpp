#include "coverage.h"

#include "bitmapfont.h"

namespace {

bool insideEllipse(int64_t dx, int64_t dy, int64_t radiusX, int64_t radiusY)
{
    return dx * dx * radiusY * radiusY + dy * dy * radiusX * radiusX <=
        radiusX * radiusX * radiusY * radiusY;
}

// Whether the point (u, v) of the ground cell (x, y), both running from 0 to
// cellSize, lies in a half cell that joins two ink cells meeting diagonally.
bool joinsDiagonal(const CellBitmap &bitmap, int x, int y, int u, int v, int cellSize)
{
    auto corner = [&](int dx, int dy) {
        return bitmap.ink(x + dx, y) && bitmap.ink(x, y + dy) && !bitmap.ink(x + dx, y + dy);
    };
    return (u + v < cellSize && corner(-1, -1)) || (v < u && corner(1, -1)) ||
        (u < v && corner(-1, 1)) || (u + v > cellSize && corner(1, 1));
}

} // namespace

Coverage::Coverage(QSize size)
    : size(size)
    , values(size_t(size.width()) * size_t(size.height()), 0)
{
}

template<typename Inside> Coverage Coverage::sampled(QSize size, int samples, Inside inside)
{
    Coverage coverage(size);
    const int step = subPixel / samples;
    const int total = samples * samples;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            int hits = 0;
            for (int j = 0; j < samples; ++j) {
                for (int i = 0; i < samples; ++i) {
                    if (inside(x * subPixel + i * step + step / 2,
                               y * subPixel + j * step + step / 2))
                        ++hits;
                }
            }
            coverage.values[coverage.index(x, y)] = uint8_t((hits * 255 + total / 2) / total);
        }
    }
    return coverage;
}

Coverage Coverage::lettering(QSize size, const CellBitmap &bitmap, QPoint origin, int cellSize,
                             int samples)
{
    return sampled(size, samples, [&](int px, int py) {
        const int rx = px - origin.x();
        const int ry = py - origin.y();
        if (rx < 0 || ry < 0)
            return false;
        const int x = rx / cellSize;
        const int y = ry / cellSize;
        return bitmap.ink(x, y) ||
            joinsDiagonal(bitmap, x, y, rx % cellSize, ry % cellSize, cellSize);
    });
}

Coverage Coverage::ellipse(QSize size, QPoint centre, QSize radii, int samples)
{
    return sampled(size, samples, [&](int px, int py) {
        return insideEllipse(px - centre.x(), py - centre.y(), radii.width(), radii.height());
    });
}

Coverage Coverage::halo(QSize size, QPoint centre, QSize radii, int reach)
{
    Coverage coverage(size);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int dx = x * subPixel + subPixel / 2 - centre.x();
            const int dy = y * subPixel + subPixel / 2 - centre.y();
            auto insideGrown = [&](int grow) {
                return insideEllipse(dx, dy, radii.width() + grow, radii.height() + grow);
            };
            if (!insideGrown(reach))
                continue;
            // The least growth that takes the pixel in, by bisection.
            int low = 0;
            int high = reach;
            while (low < high) {
                const int middle = (low + high) / 2;
                if (insideGrown(middle))
                    high = middle;
                else
                    low = middle + 1;
            }
            const int64_t left = reach - low;
            coverage.values[coverage.index(x, y)] = uint8_t(
                (left * left * 255 + int64_t(reach) * reach / 2) / (int64_t(reach) * reach));
        }
    }
    return coverage;
}

void Coverage::subtract(const Coverage &other)
{
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = uint8_t(qMax(0, values[i] - other.values[i]));
}
