#ifndef SCREENSHOT_H
#define SCREENSHOT_H

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QVector>

#include <functional>

// A screenshot of the whole screen and the pixel statistics that tell the
// demo's scenes apart.
class Screenshot
{
public:
    using Test = std::function<bool(QRgb)>;

    // The pixels of a region that pass a test.
    struct Area
    {
        int pixels = 0;
        double share = 0.0; // of the region
        QPointF centroid;
        QRect bounds;
    };

    explicit Screenshot(const QString &path);

    bool isNull() const { return image.isNull(); }
    QSize size() const { return image.size(); }
    QRect rect() const { return image.rect(); }
    QString name() const { return fileName; }

    Area area(const Test &test, QRect region = QRect()) const;
    // The pixels whose channels all differ by at most tolerance from the
    // same pixel of the other screenshot.
    Area still(const Screenshot &other, int tolerance, QRect region = QRect()) const;
    // The number of pixels of each row that pass the test.
    QVector<int> rowCounts(const Test &test) const;
    // How many colours, quantised to levels per channel, cover at least
    // minShare of the pixels that pass the test.
    int commonColours(const Test &test, int levels, double minShare) const;

private:
    template<typename PixelTest> Area collect(QRect region, PixelTest test) const;

    QImage image;
    QString fileName;
};

#endif // SCREENSHOT_H
