// shmup-trace: runs the game without a window and prints one line per frame
// (optionally every task), for regression checks and replays.

#include <QApplication>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <memory>

#include "app/optionreader.h"
#include "present/presentation.h"
#include "traceoptions.h"
#include "tracerun.h"
#include "view.h"

namespace {

// The window's start-up: the manager and the scene director now, the joystick
// on the first frame, so that the singletons also go in the same order at exit.
// Pictures need the window itself, which is never shown and runs no event
// loop, so its timers never fire.
std::unique_ptr<View> startGame(const TraceOptions &options)
{
    if (options.pngDir.isEmpty()) {
        View::startGame();
        return nullptr;
    }
    std::unique_ptr<View> view(new View(nullptr));
    view->hideDebugLine = options.hidePictureDebugLine;
    if (options.screen.isValid())
        Presentation::on(view.get())->presentOn(options.screen);
    return view;
}

} // namespace

int main(int argc, char **argv)
{
    // Long runs print millions of lines: one write per megabyte, not per line.
    static char buffer[1 << 20];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

    TraceOptions options;
    int status = options.parse(OptionReader::fromArgv(argc, argv));
    if (status >= 0)
        return status;
    TraceRun run(options);
    status = run.prepare();
    if (status >= 0)
        return status;

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Pictures are painted by a real window, which needs the widgets' application.
    std::unique_ptr<QGuiApplication> app(
        !options.pngDir.isEmpty() ? new QApplication(argc, argv) : new QGuiApplication(argc, argv));
    run.installScript();
    const std::unique_ptr<View> view = startGame(options);
    status = run.play(view.get());
    return status >= 0 ? status : run.finish();
}
