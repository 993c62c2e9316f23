#include "badge.h"

#include "bitmapfont.h"
#include "canvas.h"
#include "coverage.h"

#include <QString>

namespace {
const QString Name = QStringLiteral("PLOK");
const QPoint ShadowOffset(3 * Coverage::subPixel, 4 * Coverage::subPixel);

const QRgb BadgeColour = qRgb(128, 8, 16);
const QRgb RimColour = qRgb(236, 176, 72);
const QRgb ShadowColour = qRgba(40, 0, 4, 200);
const QRgb LetterColour = qRgb(255, 240, 184);
} // namespace

Badge::Badge(QPoint centre, QSize radii, int rimWidth, int letterCell)
    : centre(centre)
    , radii(radii)
    , rimWidth(rimWidth)
    , letterCell(letterCell)
{
}

void Badge::paint(Canvas &canvas, QSize size) const
{
    canvas.paint(Coverage::ellipse(size, centre, radii, Coverage::antiAliased), BadgeColour);

    Coverage rim = Coverage::ellipse(size, centre, radii, Coverage::antiAliased);
    rim.subtract(Coverage::ellipse(size, centre,
                                   QSize(radii.width() - rimWidth, radii.height() - rimWidth),
                                   Coverage::antiAliased));
    canvas.paint(rim, RimColour);

    const CellBitmap bitmap = BitmapFont::layout(Name);
    const QPoint origin(centre.x() - bitmap.width() * letterCell / 2,
                        centre.y() - BitmapFont::glyphHeight * letterCell / 2);
    canvas.paint(
        Coverage::lettering(size, bitmap, origin + ShadowOffset, letterCell, Coverage::antiAliased),
        ShadowColour);
    canvas.paint(Coverage::lettering(size, bitmap, origin, letterCell, Coverage::antiAliased),
                 LetterColour);
}
