// Draws the demo's four pictures: the title badge, the two scene captions and
// the credits page. Everything is drawn from the built-in pixel font and
// integer geometry, so the same sources always give the same files.
//
// Usage: makepictures <directory>   (writes 0.png, 1.png, 2.png, credits.png)

#include "badge.h"
#include "bitmapfont.h"
#include "canvas.h"
#include "coverage.h"

#include <QDir>
#include <QImage>

#include <cstdio>
#include <vector>

namespace {

constexpr int subPixel = Coverage::subPixel;

const QRgb white = qRgb(255, 255, 255);

// One line of lettering centred on the column centre (in pixels), its top at
// top (in sixteenths of a pixel).
Coverage centredLine(QSize size, const QString &text, int centre, int top, int cellSize,
                     int samples)
{
    const CellBitmap bitmap = BitmapFont::layout(text);
    const int left = centre * subPixel - bitmap.width() * cellSize / 2;
    return Coverage::lettering(size, bitmap, QPoint(left, top), cellSize, samples);
}

// The title: a dark-red oval badge with a gold rim and bright lettering,
// floating in a soft white glow near the middle of a square.
QImage title()
{
    const QSize size(512, 512);
    const QPoint centre(256 * subPixel, 256 * subPixel);
    const QSize radii(170 * subPixel, 77 * subPixel);
    const int glowReach = 30 * subPixel;
    const int rimWidth = 5 * subPixel;
    const int letterCell = 10 * subPixel;
    const QRgb glowColour = qRgba(255, 255, 255, 230);

    Canvas canvas(size);
    canvas.paint(Coverage::halo(size, centre, radii, glowReach), glowColour);
    Badge(centre, radii, rimWidth, letterCell).paint(canvas, size);
    return canvas.image();
}

// The columns of a 512 x 64 caption strip that every desktop window shows.
// The scenes place the strips 12 units from the eye, 8 units wide; a window
// narrower than 16:9 shows less of them, a 5:4 one the least: 6.21 units
// either side of the middle. So it shows the one-cube caption, which starts
// 0.5 units left of the middle, up to column 429, and the three-cube caption,
// which ends in the middle, from column 115 on.
struct Columns
{
    int left, right;
};
const Columns OneCubeShown = { 0, 429 };
const Columns LitCubesShown = { 115, 512 };

// A caption strip: its lines of white lettering centred, a cell and a half
// apart, in the columns that every window shows.
QImage caption(const QStringList &lines, int cellSize, Columns shown)
{
    const QSize size(512, 64);
    const int lineGap = cellSize * 3 / 2;
    const int height =
        int(lines.size()) * BitmapFont::glyphHeight * cellSize + int(lines.size() - 1) * lineGap;
    const int centre = (shown.left + shown.right) / 2;

    Canvas canvas(size);
    int top = (size.height() * subPixel - height) / 2;
    for (const QString &line : lines) {
        canvas.paint(centredLine(size, line, centre, top, cellSize, Coverage::antiAliased), white);
        top += BitmapFont::glyphHeight * cellSize + lineGap;
    }
    return canvas.image();
}

struct CreditLine
{
    const char *text;
    int cellSize; // whole pixels, so that the edges stay hard
};

// The credits page rises over the last scene: groups of short lines with
// wide gaps between them, spread from the top to about four fifths down.
QImage credits()
{
    const QSize size(256, 1024);
    const int top = 16;
    const int bottom = 808;
    const int lineGap = 10;
    const int titleCell = 6;
    const int headingCell = 3;
    const int nameCell = 2;
    const std::vector<std::vector<CreditLine>> groups = {
        { { "PLOK", titleCell }, { "A DESKTOP DEMO", nameCell } },
        { { "CODE", headingCell }, { "PLOK DEVELOPERS", nameCell } },
        { { "MUSIC", headingCell },
          { "COMPOSED IN C++", nameCell },
          { "BY PLOK DEVELOPERS", nameCell } },
        { { "GRAPHICS", headingCell },
          { "DRAWN PIXEL BY PIXEL", nameCell },
          { "BY PLOK DEVELOPERS", nameCell } },
        { { "THANKS FOR", headingCell }, { "WATCHING!", headingCell } },
    };

    int inked = 0;
    int lines = 0;
    for (const auto &group : groups) {
        for (const CreditLine &line : group) {
            inked += BitmapFont::glyphHeight * line.cellSize;
            ++lines;
        }
    }
    const int groupGap =
        (bottom - top - inked - (lines - int(groups.size())) * lineGap) / int(groups.size() - 1);

    Canvas canvas(size);
    int y = top;
    for (const auto &group : groups) {
        for (const CreditLine &line : group) {
            const CellBitmap bitmap = BitmapFont::layout(QString::fromLatin1(line.text));
            const int left = (size.width() - bitmap.width() * line.cellSize) / 2;
            canvas.paint(Coverage::lettering(size, bitmap, QPoint(left, y) * subPixel,
                                             line.cellSize * subPixel, Coverage::hardEdges),
                         white);
            y += BitmapFont::glyphHeight * line.cellSize + lineGap;
        }
        y += groupGap - lineGap;
    }
    return canvas.image();
}

bool save(const QImage &image, const QDir &directory, const QString &name)
{
    const QString path = directory.filePath(name);
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "makepictures: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makepictures <directory>\n");
        return 2;
    }
    const QDir directory(QString::fromLocal8Bit(argv[1]));
    const int cell1 = 66;
    const int cell2 = 56;
    const bool saved = save(title(), directory, "0.png") &&
        save(caption({ "ONE CUBE, SPINNING" }, cell1, OneCubeShown), directory, "1.png") &&
        save(caption({ "THREE CUBES", "UNDER ONE LIGHT" }, cell2, LitCubesShown), directory,
             "2.png") &&
        save(credits(), directory, "credits.png");
    return saved ? 0 : 1;
}
