#include "encoderthread.h"

#include "framesink.h"

#include <QElapsedTimer>
#include <QThread>

EncoderThread::EncoderThread(FrameSink *sink)
    : sink(sink)
    , thread(QThread::create([this] { run(); }))
{
    thread->start();
}

EncoderThread::~EncoderThread()
{
    if (thread->isRunning())
        abort();
    delete thread;
}

bool EncoderThread::push(const QImage &frame, QString *error)
{
    QElapsedTimer clock;
    clock.start();
    QMutexLocker locker(&mutex);
    while (frames.size() >= Depth && !failed && !aborting)
        roomMade.wait(&mutex);
    waiting += clock.nsecsElapsed();
    if (failed || aborting || ending) {
        if (error)
            *error = failed ? failure : QStringLiteral("the encoder has stopped");
        return false;
    }
    frames.enqueue(frame);
    frameQueued.wakeOne();
    return true;
}

bool EncoderThread::finish(QString *error)
{
    {
        QMutexLocker locker(&mutex);
        ending = true;
        frameQueued.wakeOne();
    }
    thread->wait();
    if (aborting || failed) {
        sink->cancel();
        if (error)
            *error = failed ? failure : QStringLiteral("the encoder has stopped");
        return false;
    }
    return sink->finish(error);
}

void EncoderThread::abort()
{
    {
        QMutexLocker locker(&mutex);
        aborting = true;
        frames.clear();
        frameQueued.wakeOne();
        roomMade.wakeAll();
    }
    thread->wait();
    sink->cancel();
}

qint64 EncoderThread::convertingTime() const
{
    return sink->convertingTime();
}

qint64 EncoderThread::encodingTime() const
{
    return sink->encodingTime();
}

// Writes frames as they come until the queue is empty at the end, the sink
// fails or the loop aborts.
void EncoderThread::run()
{
    QMutexLocker locker(&mutex);
    for (;;) {
        while (frames.isEmpty() && !ending && !aborting)
            frameQueued.wait(&mutex);
        if (aborting || frames.isEmpty())
            return;
        const QImage frame = frames.dequeue();
        roomMade.wakeAll();
        locker.unlock();

        QString error;
        const bool written = sink->write(frame, &error);

        locker.relock();
        if (!written) {
            failed = true;
            failure = error;
            roomMade.wakeAll();
            return;
        }
    }
}
