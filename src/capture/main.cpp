#include "capture.h"
#include "captureoptions.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

namespace {
const char *const Program = "plok-capture";

// Help, the version and usage errors need no display: the command line is
// read in a core application, which ends before the one that draws begins.
CaptureOptions::Request readCommandLine(int argc, char **argv, CaptureOptions *options)
{
    QCoreApplication reader(argc, argv);
    return options->parse(reader.arguments());
}
} // namespace

int main(int argc, char **argv)
{
    CaptureOptions options;
    switch (readCommandLine(argc, argv, &options)) {
    case CaptureOptions::Request::Help:
        std::printf("%s", qPrintable(options.helpText()));
        return 0;
    case CaptureOptions::Request::Version:
        std::printf("%s %s\n", Program, PLOK_VERSION);
        return 0;
    case CaptureOptions::Request::UsageError:
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", Program, qPrintable(options.errorText()),
                     Program);
        return 2;
    case CaptureOptions::Request::Capture:
        break;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr,
                     "%s: no X display to draw with OpenGL on; run it under Xvfb "
                     "(scripts/capture does)\n",
                     Program);
        return 1;
    }

    Q_INIT_RESOURCE(resources);
    QGuiApplication app(argc, argv);
    Capture::stopOnSignals();
    Capture capture(options);
    return capture.run();
}
