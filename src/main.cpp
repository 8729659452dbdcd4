#include <QApplication>
#include <QVector>
#include <cstdio>

#include "gameoptions.h"
#include "inputdevicecheck.h"
#include "quitkeys.h"
#include "quitsignals.h"
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

    QApplication app(qtArgc, qtArgv.data());
    // After the application, whose platform plugin may install signal handlers of its own.
    QuitSignals quitSignals;
    QuitKeys quitKeys(&app);
    InputDeviceCheck::warnIfUnreadable(QGuiApplication::platformName());
    View view(nullptr);
    // No window system on the board: there the game always covers the screen.
    if (options.fullscreen || View::isFullScreenPlatform(QGuiApplication::platformName()))
        view.showOnWholeScreen();
    else if (options.scale > 0)
        view.showScaled(options.scale);
    else
        view.show();
    return app.exec();
}
