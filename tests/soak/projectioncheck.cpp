// Judges a screenshot of the demo's window taken in the one-cube scene or in
// the three-cube scene: the projection must match the window's shape. The
// cube drawn in its yellow-to-orange face colours (the only one in scene 1,
// the far one in scene 2) has a known centre in eye space; under the 45
// degree vertical field of view its distance from the middle of the window,
// measured in half window heights, is then fixed whatever the window's
// width. A projection left over from another size puts it elsewhere and
// stretches it sideways.
//
// Usage: plok_projectioncheck 1|2 WINDOW.png
// Prints what it measured; exits with 1 if a check failed.

#include <QImage>
#include <QRect>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

struct Placement
{
    double x, y, z;
};
// The face-coloured cube's centre in eye space, scenes 1 and 2.
const Placement FaceColouredCube[] = { { -1.5, 0.0, -7.0 }, { -1.0, 2.0, -15.0 } };

const double HalfFieldTangent = std::tan(22.5 * M_PI / 180.0);
// The cube's silhouette spans 2 units face-on and up to 2 sqrt(3) corner-on,
// with room for perspective.
const double LeastSpan = 2.0 * 0.8;
const double MostSpan = 2.0 * std::sqrt(3.0) * 1.25;
const double MostStretch = 1.7;
// How far the silhouette's centroid may stray from the projected centre, in
// eye-space units at the cube's depth.
const double CentreTolerance = 0.7;

// Face colours under white light: green 0.7 to 0.95 of red, or up to all of
// it where a bright light saturates red; no blue. The grey lit cubes and the
// white captions have as much blue as red.
bool isFaceColour(QRgb pixel)
{
    const int red = qRed(pixel), green = qGreen(pixel), blue = qBlue(pixel);
    return red >= 60 && green * 100 >= red * 60 && green <= red && blue * 10 <= red + 80;
}

int failures = 0;

void expect(bool condition, const char *what, const QString &measured)
{
    std::printf("%s %s: %s\n", condition ? "ok  " : "FAIL", what, qPrintable(measured));
    if (!condition)
        ++failures;
}

} // namespace

int main(int argc, char **argv)
{
    const int scene = argc == 3 ? std::atoi(argv[1]) : 0;
    if (scene != 1 && scene != 2) {
        std::fprintf(stderr, "usage: %s 1|2 WINDOW.png\n", argv[0]);
        return 2;
    }
    const QImage shot(QString::fromLocal8Bit(argv[2]));
    if (shot.isNull()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[2]);
        return 2;
    }
    const Placement cube = FaceColouredCube[scene - 1];
    // Eye-space units at the cube's depth per half window height.
    const double unitsPerHalfHeight = -cube.z * HalfFieldTangent;
    const double expectedX = cube.x / unitsPerHalfHeight;
    const double expectedY = -cube.y / unitsPerHalfHeight; // image rows run down
    const double tolerance = CentreTolerance / unitsPerHalfHeight;
    const double leastSize = LeastSpan / unitsPerHalfHeight;
    const double mostSize = MostSpan / unitsPerHalfHeight;

    QRect bounds;
    double sumX = 0.0, sumY = 0.0;
    long count = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (isFaceColour(shot.pixel(x, y))) {
                bounds |= QRect(x, y, 1, 1);
                sumX += x + 0.5;
                sumY += y + 0.5;
                ++count;
            }
        }
    }
    const double halfHeight = shot.height() / 2.0;
    const QString size = QString("%1 x %2").arg(shot.width()).arg(shot.height());
    const double leastPixels = 0.5 * std::pow(leastSize * halfHeight, 2);
    expect(count >= leastPixels, "the face-coloured cube is on screen",
           QString("%1 cube-coloured pixels in %2").arg(count).arg(size));
    if (count == 0)
        return 1;

    const double offsetX = (sumX / count - shot.width() / 2.0) / halfHeight;
    const double offsetY = (sumY / count - halfHeight) / halfHeight;
    expect(std::abs(offsetX - expectedX) <= tolerance && std::abs(offsetY - expectedY) <= tolerance,
           "the cube stands where the projection for this shape puts it",
           QString("centre at (%1, %2) half heights from the middle, expected (%3, %4)")
               .arg(offsetX, 0, 'f', 3)
               .arg(offsetY, 0, 'f', 3)
               .arg(expectedX, 0, 'f', 3)
               .arg(expectedY, 0, 'f', 3));

    const double width = bounds.width() / halfHeight;
    const double height = bounds.height() / halfHeight;
    expect(width >= leastSize && width <= mostSize && height >= leastSize && height <= mostSize &&
               width / height <= MostStretch && height / width <= MostStretch,
           "the cube keeps its proportions",
           QString("%1 x %2 px, %3 x %4 half heights")
               .arg(bounds.width())
               .arg(bounds.height())
               .arg(width, 0, 'f', 2)
               .arg(height, 0, 'f', 2));
    return failures == 0 ? 0 : 1;
}
