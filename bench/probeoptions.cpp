#include "probeoptions.h"

#include <cstdio>

#include "app/optionreader.h"
#include "screen.h"

QString ProbeOptions::usage()
{
    return QStringLiteral(
               "usage: shmup-window-probe [--seconds N] [--bare] [--scale N]\n"
               "  --seconds N  how long to watch the window (default 60, at least 2)\n"
               "  --bare       an empty widget instead of the game's window: what a Qt window "
               "costs\n"
               "  --scale N    a window N times %1x%2, as the game's --scale N opens it\n")
        .arg(kScreenWidth)
        .arg(kScreenHeight);
}

int ProbeOptions::parse(const QStringList &arguments)
{
    OptionReader reader(arguments);
    while (reader.next()) {
        if (reader.isHelp()) {
            std::fputs(qPrintable(usage()), stdout);
            return 0;
        }
        if (reader.isFlag("bare")) {
            bare = true;
        } else if (!readValue(reader)) {
            std::fprintf(stderr, "shmup-window-probe: %s (try --help)\n",
                         qPrintable(reader.error()));
            return 2;
        }
    }
    return -1;
}

bool ProbeOptions::readValue(OptionReader &reader)
{
    if (reader.dashes() == 2 && reader.name() == QLatin1String("seconds"))
        return reader.takeNumber(seconds, 2, QStringLiteral("a whole number from 2 up"));
    if (reader.dashes() == 2 && reader.name() == QLatin1String("scale"))
        return reader.takeNumber(scale, 1, QStringLiteral("a whole number from 1 up"), 4);
    reader.unknown();
    return false;
}
