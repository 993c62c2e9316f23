#ifndef BADGE_H
#define BADGE_H

#include <QPoint>
#include <QSize>

class Canvas;

// The demo's emblem: a dark-red oval with a gold rim and the name in bright
// pixel lettering over a drop shadow. Lengths in sixteenths of a pixel.
class Badge
{
public:
    Badge(QPoint centre, QSize radii, int rimWidth, int letterCell);

    void paint(Canvas &canvas, QSize size) const;

private:
    QPoint centre;
    QSize radii;
    int rimWidth;
    int letterCell;
};

#endif // BADGE_H
