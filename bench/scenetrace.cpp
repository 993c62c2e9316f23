#include "scenetrace.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <algorithm>

namespace {

// Scene 0's plasma leaves no point dark; the other scenes are mostly black.
const double PlasmaMostDark = 0.1;
// Below this many points that are neither black nor white a frame shows
// too little to tell.
const int MinLitPoints = 4;

enum class Kind { Dark, White, FlatWarm, Grey, Plasma };

int maxChannel(QRgb p)
{
    return std::max({ qRed(p), qGreen(p), qBlue(p) });
}

int minChannel(QRgb p)
{
    return std::min({ qRed(p), qGreen(p), qBlue(p) });
}

// White is the captions, the credits and the brightest lit faces; flat warm
// the unlit cube's yellow-to-orange faces; grey the lit cubes; anything else
// coloured the plasma on the quad or on the cubes.
Kind kindOf(QRgb p)
{
    if (maxChannel(p) < 24)
        return Kind::Dark;
    if (minChannel(p) >= 200)
        return Kind::White;
    if (maxChannel(p) - minChannel(p) <= 12)
        return Kind::Grey;
    if (qRed(p) >= 200 && qBlue(p) <= 40 && qGreen(p) <= qRed(p) && 2 * qGreen(p) >= qRed(p))
        return Kind::FlatWarm;
    return Kind::Plasma;
}

QVector<QRgb> hexPixels(const QString &hex)
{
    QVector<QRgb> points;
    for (int i = 0; i + 6 <= hex.size(); i += 6)
        points.append(0xff000000u | hex.mid(i, 6).toUInt(nullptr, 16));
    return points;
}

} // namespace

// Scene 0 when almost no point is dark; otherwise the scene whose kind of
// point most of the lit points are: flat warm for the one cube, grey for the
// lit cubes, plasma colours for the textured cubes.
int SceneTrace::sceneOf(const QVector<QRgb> &points)
{
    int dark = 0, flatWarm = 0, grey = 0, plasma = 0;
    for (const QRgb p : points) {
        switch (kindOf(p)) {
        case Kind::Dark:
            ++dark;
            break;
        case Kind::White:
            break;
        case Kind::FlatWarm:
            ++flatWarm;
            break;
        case Kind::Grey:
            ++grey;
            break;
        case Kind::Plasma:
            ++plasma;
            break;
        }
    }
    if (points.isEmpty())
        return Unknown;
    if (dark < PlasmaMostDark * points.size())
        return 0;
    const int lit = flatWarm + grey + plasma;
    if (lit < MinLitPoints)
        return Unknown;
    if (2 * flatWarm > lit)
        return 1;
    if (2 * grey > lit)
        return 2;
    if (2 * plasma > lit)
        return 3;
    return Unknown;
}

SceneTrace::SceneTrace(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(' ');
        if (fields.value(0) == "frame" && fields.size() == 7)
            frames.append(
                { fields[1].toLongLong(), sceneOf(hexPixels(fields[6])), fields[4].toInt() });
        else if (fields.value(0) == "unmap" && fields.size() == 2)
            unmappedAt = fields[1].toLongLong();
    }
    findScenes();
}

// A scene counts as shown from a frame that shows it and is followed by
// another that does (or is the last), so that one odd frame does not end a
// scene early. The frames before the first of scene 0 are the start-up's.
void SceneTrace::findScenes()
{
    int on = -1;
    for (int i = 0; i < frames.size(); ++i) {
        const int scene = frames[i].scene;
        const bool confirmed = i + 1 == frames.size() || frames[i + 1].scene == scene;
        if (scene == on + 1 && on + 1 < Scenes && confirmed) {
            scenes[++on] = frames[i].swappedAt;
        } else if (on >= 0 && scene != on) {
            ++strays;
        }
    }
}

QVector<int> SceneTrace::readCosts() const
{
    QVector<int> costs;
    for (const Frame &frame : frames)
        costs.append(frame.readMicroseconds);
    std::sort(costs.begin(), costs.end());
    return costs;
}

qint64 SceneTrace::firstFrameAt() const
{
    return frames.isEmpty() ? 0 : frames.first().swappedAt;
}

qint64 SceneTrace::longestFrame(qint64 from, qint64 to) const
{
    qint64 longest = 0;
    for (int i = 1; i < frames.size(); ++i) {
        if (frames[i].swappedAt >= from && frames[i].swappedAt <= to)
            longest = std::max(longest, frames[i].swappedAt - frames[i - 1].swappedAt);
    }
    return longest;
}
