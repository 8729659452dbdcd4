// shmup-trace: runs the game without a window and prints one line per frame
// (optionally every task), for regression checks and replays.

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSize>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <unistd.h>
#ifdef SHMUP_SDL
#include <SDL.h>
#endif

#include "replay/framepictures.h"
#include "input/inputscript.h"
#include "present/presentation.h"
#include "joystick.h"
#include "replay/replaychecker.h"
#include "replay/statedump.h"
#include "taskmain.h"
#include "taskmanager.h"
#include "view.h"

namespace {

const char usage[] =
    "Usage: shmup-trace [--frames N] [--input FILE] [--dump] [--rss-every K]\n"
    "                   [--verify] [--png DIR (--png-at LIST | --png-every K)]\n"
    "                   [--no-debug-line] [--screen WxH]\n"
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
    "                640x480 picture centred on black, scaled to fit)\n"
    "  --help        show this help\n";

struct Options {
    int frames = 600;
    bool framesGiven = false;
    QString input;
    bool hasInput = false;
    bool dump = false;
    int rssEvery = 0;
    bool verify = false;
    QString pngDir;
    FramePictures pictures;
    bool hidePictureDebugLine = false;
    QSize screen; // invalid: the 640x480 window
};

// One line on stderr and the status that says "bad invocation or input".
int usageError(const QString &message)
{
    std::fprintf(stderr, "shmup-trace: %s (try --help)\n", qPrintable(message));
    return 2;
}

int inputError(const QString &message)
{
    std::fprintf(stderr, "shmup-trace: %s\n", qPrintable(message));
    return 2;
}

bool parseFrames(const QString &text, int &frames)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    bool ok = false;
    frames = text.toInt(&ok);
    return ok;
}

// "WxH", each from 1 to 16384.
bool parseScreen(const QString &text, QSize &size)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return false;
    int width = 0;
    int height = 0;
    if (parts.at(0).size() > 5 || parts.at(1).size() > 5 || !parseFrames(parts.at(0), width) ||
        !parseFrames(parts.at(1), height) || width < 1 || height < 1 || width > 16384 ||
        height > 16384)
        return false;
    size = QSize(width, height);
    return true;
}

// Returns -1 when the options are good, otherwise the exit status.
int parseOptions(const QStringList &args, Options &options)
{
    for (int i = 1; i < args.size(); ++i) {
        QString arg = args.at(i);
        QString value;
        bool hasValue = false;
        const int equals = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && equals > 0) {
            value = arg.mid(equals + 1);
            arg.truncate(equals);
            hasValue = true;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (arg == QLatin1String("--dump") && !hasValue) {
            options.dump = true;
            continue;
        }
        if (arg == QLatin1String("--verify") && !hasValue) {
            options.verify = true;
            continue;
        }
        if (arg == QLatin1String("--no-debug-line") && !hasValue) {
            options.hidePictureDebugLine = true;
            continue;
        }
        if (arg != QLatin1String("--frames") && arg != QLatin1String("--input") &&
            arg != QLatin1String("--rss-every") && arg != QLatin1String("--png") &&
            arg != QLatin1String("--png-at") && arg != QLatin1String("--png-every") &&
            arg != QLatin1String("--screen"))
            return usageError(QStringLiteral("unknown option \"%1\"").arg(args.at(i)));
        if (!hasValue) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("%1 needs a value").arg(arg));
            value = args.at(++i);
        }
        if (arg == QLatin1String("--frames")) {
            if (!parseFrames(value, options.frames))
                return usageError(
                    QStringLiteral("--frames wants a non-negative integer, not \"%1\"").arg(value));
            options.framesGiven = true;
        } else if (arg == QLatin1String("--png")) {
            if (value.isEmpty())
                return usageError(QStringLiteral("--png needs a folder"));
            options.pngDir = value;
        } else if (arg == QLatin1String("--screen")) {
            if (!parseScreen(value, options.screen))
                return usageError(
                    QStringLiteral("--screen wants WIDTHxHEIGHT, each from 1 to 16384, not \"%1\"")
                        .arg(value));
        } else if (arg == QLatin1String("--png-at")) {
            QString error;
            if (!FramePictures::parseList(value, options.pictures.ranges, error))
                return usageError(QStringLiteral("--png-at: %1").arg(error));
        } else if (arg == QLatin1String("--png-every")) {
            if (!parseFrames(value, options.pictures.every) || options.pictures.every == 0)
                return usageError(
                    QStringLiteral("--png-every wants a positive integer, not \"%1\"").arg(value));
        } else if (arg == QLatin1String("--rss-every")) {
            if (!parseFrames(value, options.rssEvery) || options.rssEvery == 0)
                return usageError(
                    QStringLiteral("--rss-every wants a positive integer, not \"%1\"").arg(value));
        } else {
            if (value.isEmpty())
                return usageError(QStringLiteral("--input needs a file name"));
            options.input = value;
            options.hasInput = true;
        }
    }
    const bool picturesAsked = !options.pictures.ranges.isEmpty() || options.pictures.every > 0;
    if (!options.pngDir.isEmpty() && !picturesAsked)
        return usageError(QStringLiteral("--png needs --png-at or --png-every"));
    if (options.pngDir.isEmpty() &&
        (picturesAsked || options.hidePictureDebugLine || options.screen.isValid()))
        return usageError(
            QStringLiteral("--png-at, --png-every, --no-debug-line and --screen need --png"));
    if (options.verify && !options.hasInput)
        return usageError(QStringLiteral("--verify needs --input FILE"));
    if (options.verify && options.dump)
        return usageError(QStringLiteral("--verify prints no trace, so no --dump"));
    return -1;
}

// Reads and checks the script; with `checks`, its check lines too. Returns -1
// on success, otherwise the exit status.
int loadInput(const QString &path, QVector<InputScript::Step> &steps,
              QVector<InputScript::Check> *checks)
{
    QString error;
    if (!InputScript::load(path, steps, checks, error))
        return inputError(error);
    return -1;
}

// Resident memory in KiB from /proc/self/statm (its second field, in pages),
// or -1 when it cannot be read.
long residentKb()
{
    std::FILE *statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return -1;
    long size = 0, resident = -1;
    const int fields = std::fscanf(statm, "%ld %ld", &size, &resident);
    std::fclose(statm);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (fields != 2 || resident < 0 || pageSize <= 0)
        return -1;
    return resident * (pageSize / 1024);
}

} // namespace

int main(int argc, char **argv)
{
    // Long runs print millions of lines: one write per megabyte, not per line.
    static char buffer[1 << 20];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

    // Options and the script are checked before Qt starts, so that a mistake
    // gets exactly one line on stderr.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    Options options;
    const int status = parseOptions(args, options);
    if (status >= 0)
        return status;
    QVector<InputScript::Step> steps;
    QVector<InputScript::Check> checks;
    if (options.hasInput) {
        const int inputStatus = loadInput(options.input, steps, options.verify ? &checks : nullptr);
        if (inputStatus >= 0)
            return inputStatus;
    }
    if (options.verify) {
        if (checks.isEmpty()) {
            std::printf("%s has no check lines: a plain joystick script, nothing to verify\n",
                        qPrintable(options.input));
            return 0;
        }
        // The last check decides how far to play, and a trace counts its
        // frames in an int: a check past that could never be reached.
        if (checks.constLast().frame >= std::numeric_limits<int>::max())
            return inputError(QStringLiteral("%1: a check at frame %2 lies past the last frame "
                                             "a trace can play")
                                  .arg(options.input)
                                  .arg(checks.constLast().frame));
        if (!options.framesGiven)
            options.frames = checks.constLast().frame + 1;
    }
    // A picture of a frame that is never played would be missing without a word.
    for (const FramePictures::Range &range : std::as_const(options.pictures.ranges)) {
        if (range.first >= options.frames)
            return usageError(QStringLiteral("--png-at asks for frame %1, but only frames 0 to %2 "
                                             "are played; give --frames")
                                  .arg(range.first)
                                  .arg(options.frames - 1));
    }

    if (options.rssEvery > 0 && residentKb() < 0)
        return inputError(QStringLiteral("--rss-every: cannot read /proc/self/statm"));
    const bool pictures = !options.pngDir.isEmpty();
    if (pictures && !QDir().mkpath(options.pngDir))
        return inputError(QStringLiteral("cannot make the folder %1").arg(options.pngDir));

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Pictures are painted by a real window, which needs the widgets' application.
    std::unique_ptr<QGuiApplication> app(pictures ? new QApplication(argc, argv)
                                                  : new QGuiApplication(argc, argv));

    // The same start-up as the window's: the manager, then the scene director
    // (the window's constructor does both); the joystick comes last, as on the
    // window's first frame tick, so the singletons also go in the same order at exit.
    // The window is never shown and runs no event loop, so its timers never fire.
    std::unique_ptr<View> view;
    TaskManager *manager = TaskManager::inst();
    if (pictures) {
        view.reset(new View(nullptr));
        view->hideDebugLine = options.hidePictureDebugLine;
        if (options.screen.isValid())
            Presentation::on(view.get())->presentOn(options.screen);
    } else {
        manager->addTask(new taskMain());
    }

    // Only the script steers the ship: no device, pad or keyboard is ever
    // opened for a trace, so none can leak into it.
    Joystick::sourceSetup = [&](Joystick &joystick) {
        if (options.hasInput)
            joystick.addSource(new InputScript(steps));
    };
    Joystick::inst();

    ReplayChecker checker(checks);
    QByteArray text;
    for (int frame = 0; frame < options.frames; ++frame) {
        Joystick::inst()->pool();
        manager->oneFrame();
        if (options.verify) {
            if (!checker.frameDone(frame)) {
                std::printf("%s\n", qPrintable(checker.mismatchText()));
                std::fflush(stdout);
                return 1;
            }
        } else {
            text.clear();
            StateDump::append(text, frame, options.dump);
            std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        }
        // One paint per frame, as the window does, so that what blinks blinks as there.
        if (pictures) {
            const QImage image = FramePictures::paint(*view, frame);
            if (options.pictures.wanted(frame)) {
                const QString name = FramePictures::fileName(options.pngDir, frame);
                if (!image.save(name, "PNG")) {
                    std::fprintf(stderr, "shmup-trace: cannot write %s\n", qPrintable(name));
                    return 1;
                }
            }
        }
        if (options.rssEvery > 0 && (frame + 1) % options.rssEvery == 0)
            std::fprintf(stderr, "frames=%d rss_kb=%ld\n", frame + 1, residentKb());
        if (std::ferror(stdout))
            break; // a full disk will not get emptier
    }
    // A replay none of whose checks was reached has not been verified at all.
    if (options.verify && checker.passed == 0) {
        std::printf("replay not verified: its first check is at frame %d, after the %d frames "
                    "played\n",
                    checks.constFirst().frame, options.frames);
        std::fflush(stdout);
        return 1;
    }
    if (options.verify)
        std::printf("replay verified: %d checks over %d frames\n", checker.passed, options.frames);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "shmup-trace: cannot write the trace: %s\n", std::strerror(errno));
        return 1;
    }
#ifdef SHMUP_SDL
    // A pad read by a trace would make it depend on the machine it ran on.
    if (SDL_WasInit(0) != 0) {
        std::fputs("shmup-trace: SDL was started, so a game pad may have steered the trace\n",
                   stderr);
        return 1;
    }
#endif
    return 0;
}
