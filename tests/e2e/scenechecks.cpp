#include "scenechecks.h"

#include "checks.h"
#include "screenshot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const QSize screenSize(1920, 1080);

int maxChannel(QRgb p)
{
    return std::max({ qRed(p), qGreen(p), qBlue(p) });
}
int minChannel(QRgb p)
{
    return std::min({ qRed(p), qGreen(p), qBlue(p) });
}

bool isDark(QRgb p)
{
    return maxChannel(p) < 24;
}

// Every palette entry of the plasma has two equal channels and none is
// dark; which two depends on how its bytes reach GL, which is not checked.
bool isPlasmaLike(QRgb p)
{
    return qRed(p) + qGreen(p) + qBlue(p) >= 80 &&
        (std::abs(qRed(p) - qGreen(p)) <= 14 || std::abs(qGreen(p) - qBlue(p)) <= 14);
}

// The unlit cube's faces: red 1, blue 0, green from 0.95 down to 0.7.
bool isFlatYellow(QRgb p)
{
    return qRed(p) >= 200 && qGreen(p) >= 140 && qGreen(p) <= qRed(p) && qBlue(p) <= 40;
}

// Yellow to orange at any brightness, as on the cube's anti-aliased edges.
bool isWarmOrDark(QRgb p)
{
    return isDark(p) || (qBlue(p) <= 40 && qGreen(p) <= qRed(p));
}

bool isLitGrey(QRgb p)
{
    return maxChannel(p) - minChannel(p) <= 10 && maxChannel(p) >= 30 && maxChannel(p) <= 250;
}

bool isLitYellow(QRgb p)
{
    return qRed(p) >= 60 && qBlue(p) <= 30 && qGreen(p) <= qRed(p) && qGreen(p) >= 0.4 * qRed(p) &&
        qRed(p) - qBlue(p) >= 50;
}

bool isWhite(QRgb p)
{
    return minChannel(p) >= 235;
}

bool isColourful(QRgb p)
{
    return maxChannel(p) - minChannel(p) >= 30 && maxChannel(p) >= 50;
}

QString percent(double share)
{
    return QString("%1 %").arg(100.0 * share, 0, 'f', 2);
}

QString point(QPointF p)
{
    return QString("(%1, %2)").arg(qRound(p.x())).arg(qRound(p.y()));
}

QString size(QRect r)
{
    return QString("%1 x %2").arg(r.width()).arg(r.height());
}

QVector<QRect> corners(QSize screen)
{
    const int w = screen.width() / 10;
    const int h = screen.height() / 10;
    return { QRect(0, 0, w, h), QRect(screen.width() - w, 0, w, h),
             QRect(0, screen.height() - h, w, h),
             QRect(screen.width() - w, screen.height() - h, w, h) };
}

// How far the rows of white pixels moved up from the earlier screenshot to
// the later one, in pixels, and how well the two row profiles agree there.
std::pair<int, double> upwardShift(const QVector<int> &earlier, const QVector<int> &later)
{
    std::pair<int, double> best(0, 0.0);
    const int rows = earlier.size();
    for (int shift = -rows / 4; shift <= rows / 2; ++shift) {
        double product = 0.0, earlierEnergy = 0.0, laterEnergy = 0.0;
        for (int y = std::max(0, -shift); y < rows && y + shift < rows; ++y) {
            product += double(later[y]) * earlier[y + shift];
            earlierEnergy += double(earlier[y + shift]) * earlier[y + shift];
            laterEnergy += double(later[y]) * later[y];
        }
        const double correlation = product / std::sqrt(std::max(earlierEnergy * laterEnergy, 1.0));
        if (correlation > best.second)
            best = { shift, correlation };
    }
    return best;
}

} // namespace

namespace SceneChecks {

void checkScreen(Checks &checks, const Screenshot &shot)
{
    checks.expect(shot.size() == screenSize, shot.name() + " covers the 1920 x 1080 screen",
                  shot.isNull() ? QString("unreadable") : size(shot.rect()));
}

void plasmaAndCaption(Checks &checks, const Screenshot &earlier, const Screenshot &later)
{
    double cornerPlasma = 1.0;
    double cornerStill = 0.0;
    for (const QRect &corner : corners(later.size())) {
        cornerPlasma = std::min(cornerPlasma, later.area(isPlasmaLike, corner).share);
        cornerStill = std::max(cornerStill, later.still(earlier, 8, corner).share);
    }
    checks.expect(cornerPlasma >= 0.95, "scene 0: plasma colours fill every corner",
                  "least plasma-coloured corner " + percent(cornerPlasma));
    checks.expect(cornerStill <= 0.2, "scene 0: the plasma animates",
                  "most unchanged corner between the shots " + percent(cornerStill));

    const Screenshot::Area plasma = later.area(isPlasmaLike);
    const Screenshot::Area dark = later.area(isDark);
    checks.expect(plasma.share >= 0.6 && dark.share <= 0.01,
                  "scene 0: the plasma fills the screen around the caption",
                  "plasma-coloured " + percent(plasma.share) + ", dark " + percent(dark.share));

    // The caption does not move while the plasma under it cycles its colours.
    const Screenshot::Area still = later.still(earlier, 6);
    const QRectF middle(screenSize.width() / 4.0, screenSize.height() / 5.0,
                        screenSize.width() / 2.0, screenSize.height() * 3.0 / 5.0);
    checks.expect(still.share >= 0.02 && still.share <= 0.6 && middle.contains(still.centroid),
                  "scene 0: a still caption near the middle of the moving plasma",
                  "unchanged " + percent(still.share) + " around " + point(still.centroid));
}

void flatCube(Checks &checks, const Screenshot &earlier, const Screenshot &later)
{
    int shades = 0;
    QRect bounds;
    for (const Screenshot *shot : { &earlier, &later }) {
        const Screenshot::Area cube = shot->area(isFlatYellow);
        const Screenshot::Area dark = shot->area(isDark);
        const double other = 1.0 - shot->area(isWarmOrDark).share;
        const QString name = shot->name();
        checks.expect(cube.share >= 0.02 && cube.share <= 0.2 && cube.bounds.width() >= 150 &&
                          cube.bounds.height() >= 150 && cube.bounds.width() <= 900 &&
                          cube.bounds.height() <= 900,
                      "scene 1: a cube-sized patch of flat yellow-orange in " + name,
                      percent(cube.share) + " in " + size(cube.bounds) + " around " +
                          point(cube.centroid));
        checks.expect(cube.centroid.x() < screenSize.width() / 2.0,
                      "scene 1: the cube stands left of the middle in " + name,
                      point(cube.centroid));
        checks.expect(dark.share >= 0.7 && other <= 0.05, "scene 1: black around it in " + name,
                      "black " + percent(dark.share) + ", neither black nor yellow-orange " +
                          percent(other));
        shades = std::max(shades, shot->commonColours(isFlatYellow, 32, 0.03));
        bounds |= cube.bounds;
    }
    checks.expect(shades >= 2, "scene 1: the cube shows faces of different shades",
                  QString("%1 shades").arg(shades));
    const double still = later.still(earlier, 8, bounds).share;
    checks.expect(still <= 0.9, "scene 1: the cube turns",
                  "unchanged between the shots " + percent(still) + " of " + size(bounds));
}

void litCubes(Checks &checks, const Screenshot &shot)
{
    const Screenshot::Area grey = shot.area(isLitGrey);
    const Screenshot::Area yellow = shot.area(isLitYellow);
    const Screenshot::Area dark = shot.area(isDark);
    checks.expect(grey.share >= 0.02, "scene 2: lit grey cubes",
                  "grey " + percent(grey.share) + " in " + size(grey.bounds));
    checks.expect(yellow.share >= 0.003 && yellow.centroid.y() < screenSize.height() / 2.0,
                  "scene 2: a lit yellow-orange cube in the upper half",
                  percent(yellow.share) + " around " + point(yellow.centroid));
    checks.expect(dark.share >= 0.6, "scene 2: black around them", percent(dark.share));
}

void texturedCubesAndCredits(Checks &checks, const Screenshot &earlier, const Screenshot &later)
{
    for (const Screenshot *shot : { &earlier, &later }) {
        const Screenshot::Area white = shot->area(isWhite);
        const Screenshot::Area coloured = shot->area(isColourful);
        const int colours = shot->commonColours(isColourful, 8, 0.01);
        checks.expect(white.share >= 0.001 && white.share <= 0.15 &&
                          white.centroid.x() > screenSize.width() / 2.0,
                      "scene 3: white credits right of the middle in " + shot->name(),
                      percent(white.share) + " around " + point(white.centroid));
        checks.expect(coloured.share >= 0.01 && colours >= 4,
                      "scene 3: plasma-coloured cubes in " + shot->name(),
                      percent(coloured.share) + " in " + QString::number(colours) + " colours");
    }
    const auto shift = upwardShift(earlier.rowCounts(isWhite), later.rowCounts(isWhite));
    checks.expect(
        shift.first >= 10 && shift.second >= 0.5, "scene 3: the credits rise",
        QString("%1 px up (profile correlation %2)").arg(shift.first).arg(shift.second, 0, 'f', 2));
}

} // namespace SceneChecks
