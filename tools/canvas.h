#ifndef CANVAS_H
#define CANVAS_H

#include <QImage>
#include <QSize>

#include <vector>

class Coverage;

// A picture built up by painting colours through coverage masks, back to
// front, in integer arithmetic. The result has a true, non-premultiplied
// colour in every visible pixel and exactly (0, 0, 0, 0) everywhere else.
class Canvas
{
public:
    explicit Canvas(QSize size);

    // Paints colour over the picture wherever coverage covers it; the
    // colour's own alpha scales the coverage.
    void paint(const Coverage &coverage, QRgb colour);
    // Format_ARGB32, which the PNG writer stores as 8-bit RGBA.
    QImage image() const;

private:
    // Premultiplied channels, scaled to 0..255 * 255 to keep precision.
    struct Pixel
    {
        int red = 0;
        int green = 0;
        int blue = 0;
        int alpha = 0;
    };

    QSize size;
    std::vector<Pixel> pixels;
};

#endif // CANVAS_H
