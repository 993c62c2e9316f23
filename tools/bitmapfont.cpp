#include "bitmapfont.h"

#include <cstdint>

namespace {

struct Glyph
{
    char character;
    uint8_t rows[BitmapFont::glyphHeight]; // bit 4 is the leftmost column
};

// clang-format off
const Glyph glyphs[] = {
    {'A', {0b01110, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'B', {0b11110, 0b10001, 0b10001, 0b11110, 0b10001, 0b10001, 0b11110}},
    {'C', {0b01110, 0b10001, 0b10000, 0b10000, 0b10000, 0b10001, 0b01110}},
    {'D', {0b11110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b11110}},
    {'E', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b11111}},
    {'F', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'G', {0b01110, 0b10001, 0b10000, 0b10111, 0b10001, 0b10001, 0b01111}},
    {'H', {0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'I', {0b11100, 0b01000, 0b01000, 0b01000, 0b01000, 0b01000, 0b11100}},
    {'J', {0b00111, 0b00010, 0b00010, 0b00010, 0b00010, 0b10010, 0b01100}},
    {'K', {0b10001, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010, 0b10001}},
    {'L', {0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b11111}},
    {'M', {0b10001, 0b11011, 0b10101, 0b10101, 0b10001, 0b10001, 0b10001}},
    {'N', {0b10001, 0b11001, 0b11001, 0b10101, 0b10011, 0b10011, 0b10001}},
    {'O', {0b01110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'P', {0b11110, 0b10001, 0b10001, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'Q', {0b01110, 0b10001, 0b10001, 0b10001, 0b10101, 0b10010, 0b01101}},
    {'R', {0b11110, 0b10001, 0b10001, 0b11110, 0b10100, 0b10010, 0b10001}},
    {'S', {0b01111, 0b10000, 0b10000, 0b01110, 0b00001, 0b00001, 0b11110}},
    {'T', {0b11111, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100}},
    {'U', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'V', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100}},
    {'W', {0b10001, 0b10001, 0b10001, 0b10101, 0b10101, 0b10101, 0b01010}},
    {'X', {0b10001, 0b10001, 0b01010, 0b00100, 0b01010, 0b10001, 0b10001}},
    {'Y', {0b10001, 0b10001, 0b10001, 0b01010, 0b00100, 0b00100, 0b00100}},
    {'Z', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b11111}},
    {'0', {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110}},
    {'1', {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'2', {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111}},
    {'3', {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110}},
    {'4', {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010}},
    {'5', {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110}},
    {'6', {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110}},
    {'7', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000}},
    {'8', {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110}},
    {'9', {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100}},
    {'.', {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b11000, 0b11000}},
    {',', {0b00000, 0b00000, 0b00000, 0b00000, 0b11000, 0b01000, 0b10000}},
    {'!', {0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b00000, 0b10000}},
    {'?', {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b00000, 0b00100}},
    {'\'', {0b10000, 0b10000, 0b00000, 0b00000, 0b00000, 0b00000, 0b00000}},
    {'-', {0b00000, 0b00000, 0b00000, 0b11111, 0b00000, 0b00000, 0b00000}},
    {'+', {0b00000, 0b00100, 0b00100, 0b11111, 0b00100, 0b00100, 0b00000}},
    {':', {0b00000, 0b11000, 0b11000, 0b00000, 0b11000, 0b11000, 0b00000}},
    {'/', {0b00000, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b00000}},
    {'&', {0b01100, 0b10010, 0b10100, 0b01000, 0b10101, 0b10010, 0b01101}},
    {'[', {0b11100, 0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b11100}},
    {']', {0b11100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b11100}},
    {'(', {0b00100, 0b01000, 0b10000, 0b10000, 0b10000, 0b01000, 0b00100}},
    {')', {0b10000, 0b01000, 0b00100, 0b00100, 0b00100, 0b01000, 0b10000}},
};
// clang-format on

constexpr int glyphWidth = 5;
constexpr int spaceWidth = 3;
constexpr int letterSpacing = 1;

const Glyph *findGlyph(QChar character)
{
    for (const Glyph &glyph : glyphs) {
        if (character == QLatin1Char(glyph.character))
            return &glyph;
    }
    return nullptr;
}

bool glyphInk(const Glyph &glyph, int x, int y)
{
    return glyph.rows[y] & (1 << (glyphWidth - 1 - x));
}

// The columns a glyph's ink spans, so that glyphs are set without the blank
// columns of their 5-column cell.
struct InkColumns
{
    int first = glyphWidth;
    int last = -1;
};

InkColumns inkColumns(const Glyph &glyph)
{
    InkColumns columns;
    for (int y = 0; y < BitmapFont::glyphHeight; ++y) {
        for (int x = 0; x < glyphWidth; ++x) {
            if (glyphInk(glyph, x, y)) {
                columns.first = qMin(columns.first, x);
                columns.last = qMax(columns.last, x);
            }
        }
    }
    return columns;
}

int advance(QChar character)
{
    const Glyph *glyph = findGlyph(character);
    if (!glyph)
        return spaceWidth;
    const InkColumns columns = inkColumns(*glyph);
    return columns.last - columns.first + 1 + letterSpacing;
}

} // namespace

CellBitmap::CellBitmap(int width, int height)
    : columns(width)
    , rows(height)
    , cells(size_t(width) * size_t(height), false)
{
}

bool CellBitmap::ink(int x, int y) const
{
    if (x < 0 || y < 0 || x >= columns || y >= rows)
        return false;
    return cells[size_t(y) * size_t(columns) + size_t(x)];
}

void CellBitmap::setInk(int x, int y)
{
    cells[size_t(y) * size_t(columns) + size_t(x)] = true;
}

CellBitmap BitmapFont::layout(const QString &text)
{
    int width = 0;
    for (QChar character : text)
        width += advance(character);
    if (!text.isEmpty() && findGlyph(text.back()))
        width -= letterSpacing;

    CellBitmap bitmap(width, glyphHeight);
    int left = 0;
    for (QChar character : text) {
        if (const Glyph *glyph = findGlyph(character)) {
            const int first = inkColumns(*glyph).first;
            for (int y = 0; y < glyphHeight; ++y) {
                for (int x = first; x < glyphWidth; ++x) {
                    if (glyphInk(*glyph, x, y))
                        bitmap.setInk(left + x - first, y);
                }
            }
        }
        left += advance(character);
    }
    return bitmap;
}
