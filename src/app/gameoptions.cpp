#include "app/gameoptions.h"

#include <QSet>

#include "app/optionreader.h"
#include "screen.h"

#ifndef SHMUP_VERSION
#define SHMUP_VERSION "unknown"
#endif

namespace {

// Qt's own options that take a value, so that the value is passed on with it
// and never read as one of ours (QGuiApplication and QApplication, Qt 5 and 6).
const QSet<QString> &qtOptionsWithValue()
{
    static const QSet<QString> names = {
        QStringLiteral("platform"),
        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),
        QStringLiteral("qmljsdebugger"),
        QStringLiteral("qwindowgeometry"),
        QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),
        QStringLiteral("display"),
        QStringLiteral("geometry"),
        QStringLiteral("title"),
        QStringLiteral("name"),
        QStringLiteral("style"),
        QStringLiteral("stylesheet"),
        QStringLiteral("session"),
        QStringLiteral("visual"),
        QStringLiteral("fn"),
        QStringLiteral("font"),
        QStringLiteral("bg"),
        QStringLiteral("background"),
        QStringLiteral("fg"),
        QStringLiteral("foreground"),
        QStringLiteral("btn"),
        QStringLiteral("button"),
        QStringLiteral("ncols"),
        QStringLiteral("cmap"),
        QStringLiteral("im"),
        QStringLiteral("inputstyle"),
        QStringLiteral("graphicssystem"),
    };
    return names;
}

// Qt's own options without a value, accepted with two dashes as Qt does.
const QSet<QString> &qtFlags()
{
    static const QSet<QString> names = {
        QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
        QStringLiteral("dograb"),  QStringLiteral("sync"),        QStringLiteral("testability"),
    };
    return names;
}

GameOptions::Result failure(const QString &message)
{
    GameOptions::Result result;
    result.outcome = GameOptions::Outcome::Exit;
    result.status = 2;
    result.output = QStringLiteral("shmup: %1 (try --help)").arg(message);
    return result;
}

} // namespace

QString GameOptions::helpText()
{
    return QStringLiteral(
               "Usage: shmup [options] [Qt options]\n"
               "A small vertical-scrolling shoot-'em-up.\n"
               "\n"
               "Options:\n"
               "  --fullscreen    cover the screen, the %1x%2 picture centred and scaled\n"
               "                  (the default on linuxfb, eglfs and vnc)\n"
               "  --scale N       open a window N times %1x%2, each game pixel N by N\n"
               "  --present WHO   who draws the picture on the screen: gl (OpenGL scales\n"
               "                  it), raster (the CPU does) or auto (the default: gl on\n"
               "                  eglfs, raster elsewhere)\n"
               "  --record FILE   write the game's joystick states and state checks to FILE\n"
               "  --replay FILE   play back a recorded game, checking it as it goes\n"
               "  --mute          play without sound, opening no sound device\n"
               "  --help          show this help and exit\n"
               "  --version       show the version and exit\n"
               "\n"
               "Qt's own options pass through to Qt, for example -platform linuxfb,\n"
               "-platform eglfs, -platform vnc:size=800x600 or -platform xcb.\n"
               "P or a pad's Start pauses and resumes; a window that loses the focus pauses.\n"
               "Escape quits; so do the window's close button, SIGINT, SIGTERM and SIGHUP.\n"
               "SDL_AUDIODRIVER chooses SDL's sound driver (for example pulseaudio, alsa).\n")
        .arg(kScreenWidth)
        .arg(kScreenHeight);
}

QString GameOptions::versionText()
{
    return QStringLiteral("shmup %1\n").arg(QStringLiteral(SHMUP_VERSION));
}

QString GameOptions::takeOwn(OptionReader &reader)
{
    const QString &name = reader.name();
    bool ok = true;
    if (name == QLatin1String("fullscreen") || name == QLatin1String("mute")) {
        if (reader.hasInlineValue())
            return QStringLiteral("--%1 takes no value").arg(name);
        (name == QLatin1String("mute") ? mute : fullscreen) = true;
    } else if (name == QLatin1String("scale")) {
        ok = reader.takeNumber(scale, 1, QStringLiteral("a whole number from 1 up"), 4);
    } else if (name == QLatin1String("present")) {
        int choice = 0;
        ok = reader.takeChoice(
            choice, {QStringLiteral("auto"), QStringLiteral("gl"), QStringLiteral("raster")});
        if (ok)
            present = Presenter(choice);
    } else if (name == QLatin1String("record")) {
        ok = reader.takeText(record, QStringLiteral("a file name"));
    } else if (name == QLatin1String("replay")) {
        ok = reader.takeText(replay, QStringLiteral("a file name"));
    } else {
        reader.unknown();
        ok = false;
    }
    return ok ? QString() : reader.error();
}

GameOptions::Result GameOptions::parse(const QStringList &arguments, QVector<int> &passOn)
{
    passOn.clear();
    if (!arguments.isEmpty())
        passOn.append(0);
    OptionReader reader(arguments);
    while (reader.next()) {
        const QString &name = reader.name();
        if (reader.dashes() == 0) {
            passOn.append(reader.index());
            continue;
        }
        if (qtOptionsWithValue().contains(name) || qtFlags().contains(name)) {
            passOn.append(reader.index());
            QString value;
            if (qtOptionsWithValue().contains(name) && !reader.hasInlineValue() &&
                reader.takeValue(value))
                passOn.append(reader.index());
            continue;
        }
        // One dash and not Qt's: Qt ignores what it does not know, and so do we.
        if (reader.dashes() == 1 && name != QLatin1String("h")) {
            passOn.append(reader.index());
            continue;
        }

        if (name == QLatin1String("help") || name == QLatin1String("h")) {
            Result result;
            result.outcome = Outcome::Exit;
            result.output = helpText();
            return result;
        }
        if (name == QLatin1String("version")) {
            Result result;
            result.outcome = Outcome::Exit;
            result.output = versionText();
            return result;
        }
        const QString error = takeOwn(reader);
        if (!error.isEmpty())
            return failure(error);
    }
    return Result();
}
