#ifndef ENCODERTHREAD_H
#define ENCODERTHREAD_H

#include <QImage>
#include <QMutex>
#include <QQueue>
#include <QWaitCondition>

class FrameSink;
class QThread;

// Feeds an open FrameSink from a thread of its own through a short queue, so
// that the next frame renders while the last one is encoded.
class EncoderThread
{
public:
    // Frames that may wait in the queue; one more is being written. Four
    // ride out x264's bursts: with B-frames much of its work falls on every
    // fourth frame, and one frame in ten takes three times the median. At
    // 1920 x 1080 they hold 33 MB.
    static const int Depth = 4;

    explicit EncoderThread(FrameSink *sink);
    ~EncoderThread();

    // Waits only while the queue is full. False once the sink has failed,
    // with its message, or after abort().
    bool push(const QImage &frame, QString *error);
    // Waits for the queued frames to be written, then completes the output.
    bool finish(QString *error);
    // Drops the queued frames, lets the frame being written end, and removes
    // the output.
    void abort();

    // Nanoseconds push() waited for room, and the sink spent converting and
    // encoding; the sink's figures are complete after finish() or abort().
    qint64 pushWaitTime() const { return waiting; }
    qint64 convertingTime() const;
    qint64 encodingTime() const;

private:
    void run();

    FrameSink *sink;
    QThread *thread;
    QMutex mutex;
    QWaitCondition frameQueued;
    QWaitCondition roomMade;
    QQueue<QImage> frames;
    bool ending = false;
    bool aborting = false;
    bool failed = false;
    QString failure;
    qint64 waiting = 0;
};

#endif // ENCODERTHREAD_H
