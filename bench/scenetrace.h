#ifndef SCENETRACE_H
#define SCENETRACE_H

#include <QColor>
#include <QString>
#include <QVector>

// The frames the demo showed, as the preloaded frame trace
// (bench/frametrace.cpp) noted them, and which scene each one shows.
class SceneTrace
{
public:
    static const int Scenes = 4;
    static const int Unknown = -1;

    // The scene that a grid of points spread evenly over a frame shows.
    static int sceneOf(const QVector<QRgb> &points);

    explicit SceneTrace(const QString &path);

    int frameCount() const { return frames.size(); }
    // Wall-clock µs of the swap of the first frame that shows the scene,
    // once every scene before it has shown; 0 if there is none.
    qint64 firstShown(int scene) const { return scenes[scene]; }
    // When the window was unmapped (closed); 0 if it never was.
    qint64 closedAt() const { return unmappedAt; }
    // Frames from the first of scene 0 on that show neither the scene that
    // is on nor the next one.
    int strayFrames() const { return strays; }
    // What reading the pixels cost each frame, in µs, sorted.
    QVector<int> readCosts() const;
    // Wall-clock µs of the first frame's swap; 0 if there is none.
    qint64 firstFrameAt() const;
    // The longest time from one frame's swap to the next, in µs, of the
    // frames swapped from `from` to `to`.
    qint64 longestFrame(qint64 from, qint64 to) const;

private:
    struct Frame
    {
        qint64 swappedAt;
        int scene;
        int readMicroseconds;
    };

    void findScenes();

    QVector<Frame> frames;
    qint64 scenes[Scenes] = {};
    qint64 unmappedAt = 0;
    int strays = 0;
};

#endif // SCENETRACE_H
