// shmup-trace: runs the game without a window and prints one line per frame
// (optionally every task), for regression checks and replays.

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>
#ifdef SHMUP_SDL
#include <SDL.h>
#endif

#include "inputscript.h"
#include "joystick.h"
#include "taskbg.h"
#include "taskenemy1.h"
#include "taskenemy2.h"
#include "taskenemybullet.h"
#include "taskexplode.h"
#include "taskmain.h"
#include "taskmanager.h"
#include "taskmybullet.h"
#include "taskmyship.h"

namespace {

const char usage[] =
    "Usage: shmup-trace [--frames N] [--input FILE] [--dump] [--rss-every K]\n"
    "Runs the game without a window and prints one line per frame.\n"
    "\n"
    "  --frames N    number of frames to run (default 600)\n"
    "  --input FILE  joystick script: lines \"FRAME DIR FIRE\"; from frame FRAME\n"
    "                on, direction code DIR (0..8) and fire held if FIRE != 0\n"
    "  --dump        after each frame line, one line per task in list order\n"
    "  --rss-every K after every K frames, write \"frames=F rss_kb=N\" on stderr:\n"
    "                the resident memory of the process then (Linux only)\n"
    "  --help        show this help\n";

struct Options {
    int frames = 600;
    QString input;
    bool hasInput = false;
    bool dump = false;
    int rssEvery = 0;
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
        if (arg != QLatin1String("--frames") && arg != QLatin1String("--input") &&
            arg != QLatin1String("--rss-every"))
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
    return -1;
}

// Reads and checks the script. Returns -1 on success, otherwise the exit status.
int loadInput(const QString &path, QVector<InputScript::Step> &steps)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return inputError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    // Scripts are small; the cap keeps a huge file or /dev/zero from using up memory.
    const qint64 maxBytes = 64 * 1024 * 1024;
    const QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return inputError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    if (bytes.size() > maxBytes)
        return inputError(QStringLiteral("%1: larger than 64 MB, not a joystick script").arg(path));
    QString error;
    if (!InputScript::parse(bytes, steps, error))
        return inputError(QStringLiteral("%1: %2").arg(path, error));
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

enum class Kind {
    Background,
    Director,
    Ship,
    Shot,
    Aiming,
    EnemyBullet,
    Splitting,
    Explosion,
    Other
};

Kind kindOf(const Task *task)
{
    if (dynamic_cast<const taskEnemyBullet *>(task))
        return Kind::EnemyBullet;
    if (dynamic_cast<const taskEnemy1 *>(task))
        return Kind::Aiming;
    if (dynamic_cast<const taskExplode *>(task))
        return Kind::Explosion;
    if (dynamic_cast<const taskMyBullet *>(task))
        return Kind::Shot;
    if (dynamic_cast<const taskEnemy2 *>(task))
        return Kind::Splitting;
    if (dynamic_cast<const taskMyShip *>(task))
        return Kind::Ship;
    if (dynamic_cast<const taskBG *>(task))
        return Kind::Background;
    if (dynamic_cast<const taskMain *>(task))
        return Kind::Director;
    return Kind::Other;
}

// %.9g of a float reads back as the same float.
void dumpTask(Kind kind, const Task *task)
{
    switch (kind) {
    case Kind::Background:
        std::fputs("  bg\n", stdout);
        break;
    case Kind::Director:
        std::printf("  main %d\n", static_cast<const taskMain *>(task)->counter);
        break;
    case Kind::Ship: {
        const auto *ship = static_cast<const taskMyShip *>(task);
        std::printf("  ship %.9g %.9g %d %d\n", double(ship->pos.x), double(ship->pos.y),
                    ship->state, ship->damage);
        break;
    }
    case Kind::Shot: {
        const auto *shot = static_cast<const taskMyBullet *>(task);
        std::printf("  mb %.9g %.9g %d\n", double(shot->pos.x), double(shot->pos.y), shot->damage);
        break;
    }
    case Kind::Aiming: {
        const auto *enemy = static_cast<const taskEnemy1 *>(task);
        std::printf("  e1 %.9g %.9g %d %d\n", double(enemy->pos.x), double(enemy->pos.y),
                    enemy->damage, enemy->fireCounter);
        break;
    }
    case Kind::EnemyBullet: {
        const auto *bullet = static_cast<const taskEnemyBullet *>(task);
        std::printf("  eb %.9g %.9g %d %d\n", double(bullet->pos.x), double(bullet->pos.y),
                    bullet->damage, bullet->animFrame);
        break;
    }
    case Kind::Splitting: {
        const auto *enemy = static_cast<const taskEnemy2 *>(task);
        std::printf("  e2 %d %.9g %.9g %d\n", enemy->kind, double(enemy->pos.x),
                    double(enemy->pos.y), enemy->damage);
        break;
    }
    case Kind::Explosion: {
        const auto *explosion = static_cast<const taskExplode *>(task);
        std::printf("  ex %.9g %.9g %d\n", double(explosion->pos.x), double(explosion->pos.y),
                    explosion->animFrame);
        break;
    }
    case Kind::Other:
        std::fputs("  ?\n", stdout);
        break;
    }
}

void printFrame(int frame, bool dump, std::vector<Kind> &kinds)
{
    const TaskManager *manager = TaskManager::inst();
    const qsizetype count = manager->tasks.size();
    kinds.resize(size_t(count));
    int e1 = 0, e2l = 0, e2s = 0, eb = 0, mb = 0, ex = 0;
    const taskMyShip *ship = nullptr;
    for (qsizetype i = 0; i < count; ++i) {
        const Task *task = manager->tasks.at(i);
        const Kind kind = kindOf(task);
        kinds[size_t(i)] = kind;
        switch (kind) {
        case Kind::Aiming:
            ++e1;
            break;
        case Kind::Splitting:
            ++(static_cast<const taskEnemy2 *>(task)->kind == 0 ? e2l : e2s);
            break;
        case Kind::EnemyBullet:
            ++eb;
            break;
        case Kind::Shot:
            ++mb;
            break;
        case Kind::Explosion:
            ++ex;
            break;
        case Kind::Ship:
            if (!ship)
                ship = static_cast<const taskMyShip *>(task);
            break;
        default:
            break;
        }
    }
    const PointF &pos = manager->getMyShipPos();
    // A missing ship prints "-": the task count then tells the checks something is wrong.
    char state[16] = "-";
    if (ship)
        std::snprintf(state, sizeof state, "%d", ship->state);
    std::printf(
        "frame=%d tasks=%d ship=%s shippos=%.9g,%.9g e1=%d e2l=%d e2s=%d eb=%d mb=%d ex=%d\n",
        frame, manager->getTaskCount(), state, double(pos.x), double(pos.y), e1, e2l, e2s, eb, mb,
        ex);
    if (dump) {
        for (qsizetype i = 0; i < count; ++i)
            dumpTask(kinds[size_t(i)], manager->tasks.at(i));
    }
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
    if (options.hasInput) {
        const int inputStatus = loadInput(options.input, steps);
        if (inputStatus >= 0)
            return inputStatus;
    }

    if (options.rssEvery > 0 && residentKb() < 0)
        return inputError(QStringLiteral("--rss-every: cannot read /proc/self/statm"));

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    // The same start-up as the window's: the manager, then the scene director;
    // the joystick comes last, as on the window's first frame tick, so the
    // singletons also go in the same order at exit.
    TaskManager *manager = TaskManager::inst();
    manager->addTask(new taskMain());

    // Only the script steers the ship: no device, pad or keyboard is ever
    // opened for a trace, so none can leak into it.
    Joystick::sourceSetup = [&](Joystick &joystick) {
        if (options.hasInput)
            joystick.addSource(new InputScript(steps));
    };
    Joystick::inst();

    std::vector<Kind> kinds;
    for (int frame = 0; frame < options.frames; ++frame) {
        Joystick::inst()->pool();
        manager->oneFrame();
        printFrame(frame, options.dump, kinds);
        if (options.rssEvery > 0 && (frame + 1) % options.rssEvery == 0)
            std::fprintf(stderr, "frames=%d rss_kb=%ld\n", frame + 1, residentKb());
        if (std::ferror(stdout))
            break; // a full disk will not get emptier
    }
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
