// Draws the desktop icon: the demo's dark-red badge with its gold rim and
// the name in the built-in pixel font, as a round 256 x 256 PNG for the
// hicolor theme. Drawn from integer geometry like the demo's pictures, so the
// same sources always give the same file.
//
// Usage: makeicon <file.png>

#include "badge.h"
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
    const QSize radii(122 * subPixel, 122 * subPixel);
    const int rimWidth = 9 * subPixel;
    const int letterCell = 7 * subPixel;

    Canvas canvas(size);
    Badge(centre, radii, rimWidth, letterCell).paint(canvas, size);
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
