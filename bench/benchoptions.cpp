#include "benchoptions.h"

#include <cstdio>

#include "app/optionreader.h"
#include "input/numbertext.h"

QString BenchOptions::usage()
{
    return QStringLiteral(
        "usage: shmup-bench [--smoke] [--format rgb32|argb32pm] [--busy FILE] [--only SCENE]\n"
        "  --smoke   a few frames of each scene, to check that it runs\n"
        "  --format  the surface format painted into (default argb32pm, the xcb window's)\n"
        "  --busy    the scenario of the busy scene (default scenarios/busy.txt)\n"
        "  --only    one scene (steady, busy, presented or a task count), for a profiler\n");
}

int BenchOptions::usageError(const QString &message)
{
    std::fprintf(stderr, "shmup-bench: %s (try --help)\n", qPrintable(message));
    return 2;
}

int BenchOptions::inputError(const QString &message)
{
    std::fprintf(stderr, "shmup-bench: %s\n", qPrintable(message));
    return 2;
}

int BenchOptions::parse(const QStringList &arguments)
{
    OptionReader reader(arguments);
    while (reader.next()) {
        if (reader.isHelp()) {
            std::fputs(qPrintable(usage()), stdout);
            return 0;
        }
        if (reader.isFlag("smoke"))
            useSmoke();
        else if (!readValue(reader))
            return usageError(reader.error());
    }
    return -1;
}

void BenchOptions::useSmoke()
{
    smoke = true;
    warmFrames = 200;
    gameFrames = 10;
    loadWarmFrames = 3;
    loadFrames = 5;
    loads = {100, 300, 1000};
}

bool BenchOptions::readValue(OptionReader &reader)
{
    const QString &name = reader.name();
    if (reader.dashes() != 2) {
        reader.unknown();
        return false;
    }
    if (name == QLatin1String("busy"))
        return reader.takeText(busyPath, QStringLiteral("a file name"));
    QString value;
    if (name == QLatin1String("format")) {
        if (!reader.takeValue(value))
            return false;
        if (value == QLatin1String("rgb32") || value == QLatin1String("argb32pm")) {
            format = value == QLatin1String("rgb32") ? QImage::Format_RGB32
                                                     : QImage::Format_ARGB32_Premultiplied;
            return true;
        }
        return reader.wants(QStringLiteral("rgb32 or argb32pm"), value);
    }
    if (name == QLatin1String("only")) {
        if (!reader.takeValue(value))
            return false;
        only = value;
        if (value == QLatin1String("steady") || value == QLatin1String("busy") ||
            value == QLatin1String("presented") ||
            (NumberText::toCount(value, onlyLoad) && onlyLoad > 0))
            return true;
        return reader.wants(QStringLiteral("steady, busy, presented or a task count"), value);
    }
    reader.unknown();
    return false;
}
