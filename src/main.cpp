#include <QApplication>

#include "app/commandline.h"
#include "app/pausecontrol.h"
#include "app/quitkeys.h"
#include "app/quitsignals.h"
#include "app/replaysetup.h"
#include "input/inputdevicecheck.h"
#include "present/frameloop.h"
#include "present/platform.h"
#include "present/presentation.h"
#include "sound/soundplayer.h"
#include "view.h"

int main(int argc, char **argv)
{
    // The game's own options first, so that --help or a mistake needs no display.
    CommandLine commandLine(argc, argv);
    if (commandLine.ends())
        return commandLine.parsed.status;
    const GameOptions &options = commandLine.options;

    // A replay to watch is read before the window opens: a bad one is one line and status 2.
    ReplaySetup replay;
    if (!replay.load(options.replay))
        return 2;
    replay.installSources();

    Platform::chooseFramebufferDrm();
    QApplication app(commandLine.qtArgc, commandLine.qtArgv.data());
    // After the application, whose platform plugin may install signal handlers of its own.
    QuitSignals quitSignals;
    QuitKeys quitKeys(&app);
    const Platform platform = Platform::named(QGuiApplication::platformName());
    InputDeviceCheck::warnIfUnreadable(platform.readsInputDevices);
    View view(nullptr);
    replay.watch(view, options.record);
    // A replay being watched, like the board, plays on when the focus goes.
    PauseControl pause(&app, &view, !platform.coversWholeScreen && options.replay.isEmpty());
    SoundPlayer sound;
    if (!options.mute)
        sound.playAlong(view);
    Presentation *presentation = Presentation::on(&view);
    if (options.present == GameOptions::Presenter::Gl ||
        (options.present == GameOptions::Presenter::Auto && platform.prefersOpenGl))
        presentation->drawThroughOpenGl();
    presentation->show(options.fullscreen || platform.coversWholeScreen, options.scale);
    if (FrameLoop::pacesOn(platform))
        new FrameLoop(&view);
    const int status = app.exec();
    replay.finish();
    return status;
}
