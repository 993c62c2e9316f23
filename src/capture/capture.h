#ifndef CAPTURE_H
#define CAPTURE_H

#include "captureoptions.h"
#include "offscreentarget.h"
#include "progressreport.h"
#include "scenedirector.h"
#include "steppedclock.h"

#include <QObject>

#include <memory>

class EncoderThread;
class FrameSink;

// Renders the demo's timeline frame by frame, off-screen, on a stepped
// clock, and hands the frames to an encoder thread: video frame k shows the
// timeline at from + k / fps, with every 30 ms demo step before it applied.
class Capture
{
public:
    explicit Capture(const CaptureOptions &options);
    ~Capture();

    // Ctrl+C and SIGTERM end a capture at the next frame boundary.
    static void stopOnSignals();
    // The process's exit status: 0 done, 1 failed, 2 a size or sample count
    // this GL implementation cannot draw, 128 + the signal when stopped.
    int run();

private:
    bool setUpTarget(int *status);
    bool samplesDrawn();
    bool openSink();
    bool renderAll();
    void renderFrame(qint64 frame);
    bool drawnWithoutErrors(qint64 frame);
    void advanceTo(qint64 msecs);
    bool deliver(const QImage &frame);
    int frameCount() const;
    qint64 frameTime(qint64 frame) const;
    qint64 soundSamples(int rate) const;
    void reportTimes() const;
    int fail(const QString &message, int status);

    const CaptureOptions &options;
    QObject owner;
    SteppedClock clock;
    SceneDirector director;
    OffscreenTarget target;
    ProgressReport progress;
    std::unique_ptr<FrameSink> sink;
    std::unique_ptr<EncoderThread> encoder;
    qint64 nextTick = 0;
    qint64 framesDelivered = 0;
    qint64 drawingTime = 0;
    qint64 readBackTime = 0;
    QString error;
};

#endif // CAPTURE_H
