#ifndef WINDOWGRID_H
#define WINDOWGRID_H

#include <QRgb>
#include <QVector>
#include <QWindow>

class QScreen;

// A grid of points spread evenly over a window of another program, read
// from the X server a row at a time: far cheaper than a whole screenshot,
// so it can be looked at every few frames while the program runs.
class WindowGrid
{
public:
    static const int Columns = 32;
    static const int Rows = 18;

    explicit WindowGrid(WId window);

    // The points, row by row from the top left, each the centre of its cell;
    // empty when the window is gone.
    QVector<QRgb> read() const;

private:
    WId window;
    QScreen *screen;
};

#endif // WINDOWGRID_H
