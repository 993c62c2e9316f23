#include "screenshot.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cstdlib>
#include <utility>

Screenshot::Screenshot(const QString &path)
    : image(QImage(path).convertToFormat(QImage::Format_RGB32))
    , fileName(QFileInfo(path).fileName())
{
}

template<typename PixelTest>
Screenshot::Area Screenshot::collect(QRect region, PixelTest test) const
{
    region = region.isNull() ? image.rect() : region & image.rect();
    Area area;
    double sumX = 0.0;
    double sumY = 0.0;
    int left = region.right(), right = region.left(), top = region.bottom(), bottom = region.top();
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            if (!test(x, y))
                continue;
            ++area.pixels;
            sumX += x;
            sumY += y;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (area.pixels > 0) {
        area.share = double(area.pixels) / (double(region.width()) * region.height());
        area.centroid = QPointF(sumX / area.pixels, sumY / area.pixels);
        area.bounds = QRect(QPoint(left, top), QPoint(right, bottom));
    }
    return area;
}

Screenshot::Area Screenshot::area(const Test &test, QRect region) const
{
    return collect(region, [&](int x, int y) { return test(image.pixel(x, y)); });
}

Screenshot::Area Screenshot::still(const Screenshot &other, int tolerance, QRect region) const
{
    if (other.size() != size())
        return {};
    return collect(region, [&](int x, int y) {
        const QRgb a = image.pixel(x, y);
        const QRgb b = other.image.pixel(x, y);
        return std::abs(qRed(a) - qRed(b)) <= tolerance &&
            std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
            std::abs(qBlue(a) - qBlue(b)) <= tolerance;
    });
}

QVector<int> Screenshot::rowCounts(const Test &test) const
{
    QVector<int> counts(image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            counts[y] += test(image.pixel(x, y)) ? 1 : 0;
    return counts;
}

int Screenshot::commonColours(const Test &test, int levels, double minShare) const
{
    const int step = 256 / levels;
    QHash<int, int> counts;
    int total = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (!test(pixel))
                continue;
            ++counts[(qRed(pixel) / step * levels + qGreen(pixel) / step) * levels +
                     qBlue(pixel) / step];
            ++total;
        }
    }
    int common = 0;
    for (const int count : std::as_const(counts))
        common += count >= minShare * total ? 1 : 0;
    return common;
}
