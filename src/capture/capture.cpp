#include "capture.h"

#include "encoderthread.h"
#include "glerrors.h"
#include "multisampletarget.h"
#include "pngframewriter.h"
#include "soundtrack.h"
#include "videoencoder.h"

#include <QElapsedTimer>

#include <csignal>
#include <cstdio>

namespace {
volatile std::sig_atomic_t stopSignal = 0;

void requestStop(int signal)
{
    stopSignal = signal;
}

void say(const QString &message)
{
    std::fprintf(stderr, "plok-capture: %s\n", qPrintable(message));
}

QString seconds(qint64 nanoseconds)
{
    return QString::number(nanoseconds / 1e9, 'f', 1);
}
} // namespace

Capture::Capture(const CaptureOptions &options)
    : options(options)
    , director(&owner, &clock)
    , progress(frameCount())
{
}

Capture::~Capture() = default;

void Capture::stopOnSignals()
{
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int Capture::run()
{
    int status = 1;
    if (!setUpTarget(&status))
        return fail(error, status);
    director.start(target.framebuffer(), options.size, options.samples,
                   SceneDirector::Smoothing::EveryScene);
    director.scenes().uploadLaterPictures();
    if (!openSink())
        return fail(error, 1);

    const bool rendered = renderAll();
    if (stopSignal) {
        encoder->abort();
        say("stopped; nothing was written");
        return 128 + stopSignal;
    }
    if (!rendered || !encoder->finish(&error)) {
        encoder->abort();
        return fail(error, 1);
    }
    progress.finish();
    say(QString("wrote %1: %2 frames of %3x%4 at %5/%6 frames a second in %7 s")
            .arg(options.output)
            .arg(framesDelivered)
            .arg(options.size.width())
            .arg(options.size.height())
            .arg(options.fpsNumerator)
            .arg(options.fpsDenominator)
            .arg(progress.seconds(), 0, 'f', 1));
    reportTimes();
    say(QString("drawn by %1").arg(reinterpret_cast<const char *>(glGetString(GL_RENDERER))));
    return 0;
}

// A size or a sample count beyond what this GL implementation draws is the
// user's to change, like any other bad value.
bool Capture::setUpTarget(int *status)
{
    if (!target.createContext(&error))
        return false;
    const QSize largest = target.maximumSize();
    if (options.size.width() > largest.width() || options.size.height() > largest.height()) {
        error = QString("--size %1x%2 is larger than this OpenGL implementation draws (%3x%4)")
                    .arg(options.size.width())
                    .arg(options.size.height())
                    .arg(largest.width())
                    .arg(largest.height());
        *status = 2;
        return false;
    }
    if (options.samples > target.maximumSamples()) {
        error = QString("--samples %1 is more than this OpenGL implementation offers (%2)")
                    .arg(options.samples)
                    .arg(target.maximumSamples());
        *status = 2;
        return false;
    }
    return target.createFramebuffer(options.size, &error) && samplesDrawn();
}

// A framebuffer with samples takes several times the memory of the frame: a
// driver may make it at one size and not at a larger one. A capture draws
// what was asked, or nothing.
bool Capture::samplesDrawn()
{
    const int offered = MultisampleTarget::samplesAt(options.size, options.samples);
    if (offered == options.samples)
        return true;
    error = QString("this OpenGL implementation makes no %1x%2 framebuffer with %3 samples a pixel")
                .arg(options.size.width())
                .arg(options.size.height())
                .arg(options.samples);
    if (offered >= 0)
        error += QString("; with --samples %1 it does").arg(offered);
    return false;
}

bool Capture::openSink()
{
    Soundtrack soundtrack;
    if (!soundtrack.load(&error))
        return false;
    if (options.format == CaptureOptions::Format::Frames)
        sink = std::make_unique<PngFrameWriter>(options.output);
    else
        sink = std::make_unique<VideoEncoder>(options.output);

    FrameSink::Format format;
    format.size = options.size;
    format.rateNumerator = int(options.fpsNumerator);
    format.rateDenominator = int(options.fpsDenominator);
    format.frameCount = frameCount();
    const int rate = soundtrack.sampleRate();
    if (!sink->open(format, soundtrack.stretch(options.from, soundSamples(rate)), &error))
        return false;
    encoder = std::make_unique<EncoderThread>(sink.get());
    return true;
}

bool Capture::renderAll()
{
    for (qint64 frame = 0; frame < frameCount() && !stopSignal; ++frame) {
        renderFrame(frame);
        QElapsedTimer timer;
        timer.start();
        const QImage done = target.swapBuffers();
        readBackTime += timer.nsecsElapsed();
        if (!drawnWithoutErrors(frame))
            return false;
        if (!done.isNull() && !deliver(done))
            return false;
        progress.frameDone();
    }
    for (QImage done = target.takePending(); !done.isNull() && !stopSignal;
         done = target.takePending()) {
        if (!deliver(done))
            return false;
    }
    if (!stopSignal && framesDelivered != frameCount()) {
        error = "frames were lost in the read-back from the GL implementation";
        return false;
    }
    return true;
}

// Demo steps come every 30 ms of the timeline, whatever the video's rate;
// the plasma's colours follow the clock.
void Capture::renderFrame(qint64 frame)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 time = frameTime(frame);
    for (; nextTick * SceneDirector::FrameInterval <= time; ++nextTick) {
        advanceTo(nextTick * SceneDirector::FrameInterval);
        director.step();
    }
    advanceTo(time);
    director.renderPlasmaAtClock();
    director.paint();
    drawingTime += timer.nsecsElapsed();
}

// A failed GL call changes nothing: the frame would show less than it should.
// The errors of the set-up come with the first frame's.
bool Capture::drawnWithoutErrors(qint64 frame)
{
    const QString errors = GLErrors::take();
    if (errors.isEmpty())
        return true;
    error = QString("OpenGL reported %1 by the frame at %2 s")
                .arg(errors)
                .arg(frameTime(frame) / 1000.0, 0, 'f', 3);
    return false;
}

void Capture::advanceTo(qint64 msecs)
{
    clock.setElapsed(msecs);
    while (director.changeDue())
        director.changeScene();
}

bool Capture::deliver(const QImage &frame)
{
    if (!encoder->push(frame, &error))
        return false;
    ++framesDelivered;
    return true;
}

// Frames start at `from` and come as long as they start before `to`.
int Capture::frameCount() const
{
    const qint64 span = (options.to - options.from) * options.fpsNumerator;
    const qint64 frameLength = 1000 * options.fpsDenominator;
    return int((span + frameLength - 1) / frameLength);
}

qint64 Capture::frameTime(qint64 frame) const
{
    return options.from + frame * 1000 * options.fpsDenominator / options.fpsNumerator;
}

// The sound runs to the end of the last frame.
qint64 Capture::soundSamples(int rate) const
{
    return (frameCount() * options.fpsDenominator * rate + options.fpsNumerator / 2) /
        options.fpsNumerator;
}

void Capture::reportTimes() const
{
    say(QString("time spent: drawing %1 s, read-back %2 s, colour conversion %3 s, encoding %4 s, "
                "waiting for the encoder %5 s")
            .arg(seconds(drawingTime), seconds(readBackTime), seconds(encoder->convertingTime()),
                 seconds(encoder->encodingTime()), seconds(encoder->pushWaitTime())));
}

int Capture::fail(const QString &message, int status)
{
    say(message);
    return status;
}
