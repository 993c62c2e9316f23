#ifndef BITMAPFONT_H
#define BITMAPFONT_H

#include <QString>

#include <vector>

// A line of lettering as a grid of font cells: 7 rows, one column per cell,
// each cell either ink or ground.
class CellBitmap
{
public:
    CellBitmap(int width, int height);

    int width() const { return columns; }
    int height() const { return rows; }
    // Cells outside the grid are ground, so neighbours can be asked freely.
    bool ink(int x, int y) const;
    void setInk(int x, int y);

private:
    int columns;
    int rows;
    std::vector<bool> cells;
};

// A 5x7 pixel font for capitals, digits and a little punctuation, kept as
// data here so that the lettering never depends on the fonts of the machine.
// Glyphs are set proportionally: each takes the columns its ink spans plus
// one blank column; a space is three columns wide.
class BitmapFont
{
public:
    static constexpr int glyphHeight = 7;

    static CellBitmap layout(const QString &text);
    static int width(const QString &text) { return layout(text).width(); }
};

#endif // BITMAPFONT_H
