// Draws the desktop icon: the demo's dark-red badge with its gold rim and
// the name in the built-in pixel font, as a round 256 x 256 PNG for the
// hicolor theme. Drawn from integer geometry like the demo's pictures, so the
// same sources always give the same file.
//
// Usage: makeicon <file.png>

#include "bitmapfont.h"
#include "canvas.h"
#include "coverage.h"

#include <QImage>

#include <cstdio>

namespace {

constexpr int subPixel = Coverage::subPixel;

QImage icon()
{
    const QSize size(256, 256);
    const QPoint centre(128 * subPixel, 128 * subPixel);
    const int radius = 122 * subPixel;
    const int rimWidth = 9 * subPixel;
    const int letterCell = 7 * subPixel;
    const QPoint shadowOffset(3 * subPixel, 4 * subPixel);
    const QString name = QStringLiteral("PLOK");

    const QRgb badgeColour = qRgb(128, 8, 16);
    const QRgb rimColour = qRgb(236, 176, 72);
    const QRgb shadowColour = qRgba(40, 0, 4, 200);
    const QRgb letterColour = qRgb(255, 240, 184);

    const QSize radii(radius, radius);
    const QSize innerRadii(radius - rimWidth, radius - rimWidth);
    Canvas canvas(size);
    canvas.paint(Coverage::ellipse(size, centre, radii, Coverage::antiAliased), badgeColour);

    Coverage rim = Coverage::ellipse(size, centre, radii, Coverage::antiAliased);
    rim.subtract(Coverage::ellipse(size, centre, innerRadii, Coverage::antiAliased));
    canvas.paint(rim, rimColour);

    const CellBitmap bitmap = BitmapFont::layout(name);
    const QPoint origin(centre.x() - bitmap.width() * letterCell / 2,
                        centre.y() - BitmapFont::glyphHeight * letterCell / 2);
    canvas.paint(
        Coverage::lettering(size, bitmap, origin + shadowOffset, letterCell, Coverage::antiAliased),
        shadowColour);
    canvas.paint(Coverage::lettering(size, bitmap, origin, letterCell, Coverage::antiAliased),
                 letterColour);
    return canvas.image();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeicon <file.png>\n");
        return 2;
    }
    if (icon().save(QString::fromLocal8Bit(argv[1]), "PNG"))
        return 0;
    std::fprintf(stderr, "makeicon: cannot write %s\n", argv[1]);
    return 1;
}
