#ifndef COVERAGE_H
#define COVERAGE_H

#include <QPoint>
#include <QSize>

#include <cstdint>
#include <vector>

class CellBitmap;

// How much of each pixel a shape covers, 0 to 255. Shapes are rasterised by
// counting sample points inside them in integer arithmetic, so the result is
// the same on every machine. Geometry is given in sixteenths of a pixel.
class Coverage
{
public:
    static constexpr int subPixel = 16;
    // Samples per pixel along each axis: 1 gives hard edges, 8 smooth ones.
    static constexpr int hardEdges = 1;
    static constexpr int antiAliased = 8;

    explicit Coverage(QSize size);

    int width() const { return size.width(); }
    int height() const { return size.height(); }
    int at(int x, int y) const { return values[index(x, y)]; }

    // Lettering laid out in font cells of cellSize, its top left corner at
    // origin. Where two ink cells touch only at a corner, the two half cells
    // between them are filled as well, so diagonal strokes run smooth.
    static Coverage lettering(QSize size, const CellBitmap &bitmap, QPoint origin, int cellSize,
                              int samples);
    static Coverage ellipse(QSize size, QPoint centre, QSize radii, int samples);
    // A halo around an ellipse: full inside it, fading to nothing over reach
    // outside it along the family of ellipses grown by the same amount on
    // both axes.
    static Coverage halo(QSize size, QPoint centre, QSize radii, int reach);

    // Removes what other covers, as for cutting a ring out of a disc.
    void subtract(const Coverage &other);

private:
    template<typename Inside> static Coverage sampled(QSize size, int samples, Inside inside);
    size_t index(int x, int y) const { return size_t(y) * size_t(size.width()) + size_t(x); }

    QSize size;
    std::vector<uint8_t> values;
};

#endif // COVERAGE_H
