#include "traceoptions.h"

#include <cstdio>

#include "app/optionreader.h"
#include "input/numbertext.h"
#include "screen.h"

QString TraceOptions::usage()
{
    return QStringLiteral(
               "Usage: shmup-trace [--frames N] [--input FILE] [--dump] [--rss-every K]\n"
               "                   [--verify] [--png DIR (--png-at LIST | --png-every K)]\n"
               "                   [--no-debug-line] [--screen WxH] [--audio FILE]\n"
               "Runs the game without a window and prints one line per frame.\n"
               "\n"
               "  --frames N    number of frames to run (default 600; with --verify, up to\n"
               "                the replay's last check line)\n"
               "  --input FILE  joystick script: lines \"FRAME DIR FIRE\"; from frame FRAME\n"
               "                on, direction code DIR (0..8) and fire held if FIRE != 0\n"
               "  --dump        after each frame line, one line per task in list order\n"
               "  --rss-every K after every K frames, write \"frames=F rss_kb=N\" on stderr:\n"
               "                the resident memory of the process then (Linux only)\n"
               "  --verify      play the --input replay and compare its check lines\n"
               "                (\"# check FRAME HASH\") with the game instead of printing\n"
               "                the trace: exit 0 if all match, 1 at the first that does not\n"
               "  --png DIR     write what the window shows after the frames asked for by\n"
               "                --png-at or --png-every as DIR/frame-NNNNNN.png\n"
               "  --png-at LIST frames as numbers and ranges, e.g. 0,64,100-120\n"
               "  --png-every K frames 0, K, 2K, ...\n"
               "  --no-debug-line  leave the debug line out of the pictures\n"
               "  --screen WxH  picture the game as a screen of that size shows it (the\n"
               "                %1x%2 picture centred on black, scaled to fit)\n"
               "  --audio FILE  write the game's sound as a WAV file (48 kHz, 16-bit, mono,\n"
               "                768 samples a frame): the same game gives the same bytes\n"
               "  --help        show this help\n")
        .arg(kScreenWidth)
        .arg(kScreenHeight);
}

int TraceOptions::usageError(const QString &message)
{
    std::fprintf(stderr, "shmup-trace: %s (try --help)\n", qPrintable(message));
    return 2;
}

int TraceOptions::inputError(const QString &message)
{
    std::fprintf(stderr, "shmup-trace: %s\n", qPrintable(message));
    return 2;
}

int TraceOptions::parse(const QStringList &arguments)
{
    OptionReader reader(arguments);
    while (reader.next()) {
        // Every argument is ours, and only "-h" has one dash.
        if (reader.isHelp()) {
            std::fputs(qPrintable(usage()), stdout);
            return 0;
        }
        if (reader.isFlag("dump")) {
            dump = true;
        } else if (reader.isFlag("verify")) {
            verify = true;
        } else if (reader.isFlag("no-debug-line")) {
            hidePictureDebugLine = true;
        } else if (!readValue(reader)) {
            return usageError(reader.error());
        }
    }
    return checkTogether();
}

bool TraceOptions::readValue(OptionReader &reader)
{
    const QString &name = reader.name();
    if (reader.dashes() != 2) {
        reader.unknown();
        return false;
    }
    const QString positive = QStringLiteral("a positive integer");
    if (name == QLatin1String("frames")) {
        framesGiven = true;
        return reader.takeNumber(frames, 0, QStringLiteral("a non-negative integer"));
    }
    if (name == QLatin1String("input")) {
        hasInput = true;
        return reader.takeText(input, QStringLiteral("a file name"));
    }
    if (name == QLatin1String("png"))
        return reader.takeText(pngDir, QStringLiteral("a folder"));
    if (name == QLatin1String("audio"))
        return reader.takeText(audio, QStringLiteral("a file name"));
    if (name == QLatin1String("png-every"))
        return reader.takeNumber(pictures.every, 1, positive);
    if (name == QLatin1String("rss-every"))
        return reader.takeNumber(rssEvery, 1, positive);
    if (name == QLatin1String("screen"))
        return reader.takeSize(
            screen, QStringLiteral("WIDTHxHEIGHT, each from 1 to %1").arg(NumberText::maxSide));
    if (name == QLatin1String("png-at"))
        return reader.takeFrameList(pictures.ranges);
    reader.unknown();
    return false;
}

int TraceOptions::checkTogether() const
{
    const bool picturesAsked = !pictures.ranges.isEmpty() || pictures.every > 0;
    if (!pngDir.isEmpty() && !picturesAsked)
        return usageError(QStringLiteral("--png needs --png-at or --png-every"));
    if (pngDir.isEmpty() && (picturesAsked || hidePictureDebugLine || screen.isValid()))
        return usageError(
            QStringLiteral("--png-at, --png-every, --no-debug-line and --screen need --png"));
    if (verify && !hasInput)
        return usageError(QStringLiteral("--verify needs --input FILE"));
    if (verify && dump)
        return usageError(QStringLiteral("--verify prints no trace, so no --dump"));
    return -1;
}
