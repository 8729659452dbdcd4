#include <QApplication>
#include <QVector>
#include <climits>
#include <cstdio>

#include "app/defaultsources.h"
#include "app/gameoptions.h"
#include "input/inputdevicecheck.h"
#include "input/inputscript.h"
#include "joystick.h"
#include "app/quitkeys.h"
#include "app/quitsignals.h"
#include "replay/replaychecker.h"
#include "replay/replayrecorder.h"
#include "view.h"

int main(int argc, char **argv)
{
    // The game's own options first, so that --help or a mistake needs no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    GameOptions options;
    QVector<int> passOn;
    const GameOptions::Result parsed = options.parse(arguments, passOn);
    if (parsed.outcome == GameOptions::Outcome::Exit) {
        std::fputs(qPrintable(parsed.output), parsed.status == 0 ? stdout : stderr);
        if (parsed.status != 0)
            std::fputc('\n', stderr);
        return parsed.status;
    }
    // Qt gets the rest, as given; it keeps pointers into this array for the run.
    QVector<char *> qtArgv;
    for (const int index : std::as_const(passOn))
        qtArgv.append(argv[index]);
    qtArgv.append(nullptr);
    int qtArgc = int(passOn.size());

    // A replay to watch is read before the window opens: a bad one is one line and status 2.
    QVector<InputScript::Step> replaySteps;
    QVector<InputScript::Check> replayChecks;
    Joystick::sourceSetup = addDefaultSources;
    if (!options.replay.isEmpty()) {
        QString error;
        if (!InputScript::load(options.replay, replaySteps, &replayChecks, error)) {
            std::fprintf(stderr, "shmup: %s\n", qPrintable(error));
            return 2;
        }
        // A recording ends at its last check line, the last frame played:
        // from the next frame on nothing is pressed.
        if (!replayChecks.isEmpty() && replayChecks.constLast().frame < INT_MAX &&
            (replaySteps.isEmpty() ||
             replaySteps.constLast().frame <= replayChecks.constLast().frame))
            replaySteps.append(InputScript::Step{replayChecks.constLast().frame + 1, 0, false});
        // Only the replay steers: no keys, no pads.
        Joystick::sourceSetup = [replaySteps](Joystick &joystick) {
            joystick.addSource(new InputScript(replaySteps));
        };
    }

    QApplication app(qtArgc, qtArgv.data());
    // After the application, whose platform plugin may install signal handlers of its own.
    QuitSignals quitSignals;
    QuitKeys quitKeys(&app);
    InputDeviceCheck::warnIfUnreadable(QGuiApplication::platformName());
    View view(nullptr);
    ReplayRecorder recorder;
    if (!options.record.isEmpty())
        recorder.open(options.record);
    ReplayChecker checker(replayChecks);
    int frame = 0;
    if (recorder.isRecording() || !replayChecks.isEmpty()) {
        view.frameDone = [&]() {
            recorder.frameDone();
            if (!checker.failed && !checker.frameDone(frame))
                std::fprintf(stderr, "shmup: the replay no longer plays out the same: %s\n",
                             qPrintable(checker.mismatchText()));
            ++frame;
        };
    }
    // No window system on the board: there the game always covers the screen.
    if (options.fullscreen || View::isFullScreenPlatform(QGuiApplication::platformName()))
        view.showOnWholeScreen();
    else if (options.scale > 0)
        view.showScaled(options.scale);
    else
        view.show();
    const int status = app.exec();
    recorder.finish();
    return status;
}
