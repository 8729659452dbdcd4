#include "app/gameoptions.h"

#include <QSet>

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

bool parsePositive(const QString &text, int &value)
{
    if (text.isEmpty() || text.size() > 4)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    value = text.toInt();
    return value > 0;
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
        "  --fullscreen    cover the screen, the 640x480 picture centred and scaled\n"
        "                  (the default on linuxfb, eglfs and vnc)\n"
        "  --scale N       open a window N times 640x480, each game pixel N by N\n"
        "  --record FILE   write the game's joystick states and state checks to FILE\n"
        "  --replay FILE   play back a recorded game, checking it as it goes\n"
        "  --help          show this help and exit\n"
        "  --version       show the version and exit\n"
        "\n"
        "Qt's own options pass through to Qt, for example -platform linuxfb,\n"
        "-platform eglfs, -platform vnc:size=800x600 or -platform xcb.\n"
        "Escape quits; so do the window's close button, SIGINT, SIGTERM and SIGHUP.\n");
}

QString GameOptions::versionText()
{
    return QStringLiteral("shmup %1\n").arg(QStringLiteral(SHMUP_VERSION));
}

GameOptions::Result GameOptions::parse(const QStringList &arguments, QVector<int> &passOn)
{
    passOn.clear();
    if (!arguments.isEmpty())
        passOn.append(0);
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-") ||
            arg == QLatin1String("--")) {
            passOn.append(i);
            continue;
        }
        const bool twoDashes = arg.startsWith(QLatin1String("--"));
        QString name = arg.mid(twoDashes ? 2 : 1);
        QString value;
        bool hasValue = false;
        const int equals = name.indexOf(QLatin1Char('='));
        if (equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
            hasValue = true;
        }

        if (qtOptionsWithValue().contains(name) || qtFlags().contains(name)) {
            passOn.append(i);
            if (qtOptionsWithValue().contains(name) && !hasValue && i + 1 < arguments.size())
                passOn.append(++i);
            continue;
        }
        // One dash and not Qt's: Qt ignores what it does not know, and so do we.
        if (!twoDashes && name != QLatin1String("h")) {
            passOn.append(i);
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
        if (name == QLatin1String("fullscreen")) {
            if (hasValue)
                return failure(QStringLiteral("--fullscreen takes no value"));
            fullscreen = true;
            continue;
        }
        const bool takesValue = name == QLatin1String("scale") || name == QLatin1String("record") ||
                                name == QLatin1String("replay");
        if (!takesValue)
            return failure(QStringLiteral("unknown option \"%1\"").arg(arg));
        if (!hasValue) {
            if (i + 1 >= arguments.size())
                return failure(QStringLiteral("--%1 needs a value").arg(name));
            value = arguments.at(++i);
        }
        if (name == QLatin1String("scale")) {
            if (!parsePositive(value, scale))
                return failure(QStringLiteral("--scale wants a whole number from 1 up, not \"%1\"")
                                   .arg(value));
        } else if (value.isEmpty()) {
            return failure(QStringLiteral("--%1 needs a file name").arg(name));
        } else if (name == QLatin1String("record")) {
            record = value;
        } else {
            replay = value;
        }
    }
    return Result();
}
