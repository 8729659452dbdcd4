#include "windowprobe.h"

#include <QApplication>
#include <QBackingStore>
#include <QFile>
#include <QImage>
#include <QStringList>

#include <algorithm>
#include <unistd.h>

#include "app/defaultsources.h"
#include "joystick.h"
#include "present/presentation.h"
#include "screen.h"
#include "tickcounter.h"
#include "view.h"

namespace {

// utime + stime of this process, in milliseconds.
qint64 cpuMs()
{
    QFile file(QStringLiteral("/proc/self/stat"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.readAll();
    // Fields after the command name, which may hold spaces: state is field 3,
    // utime and stime are fields 14 and 15.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const qint64 ticks = fields.at(11).toLongLong() + fields.at(12).toLongLong();
    return ticks * 1000 / sysconf(_SC_CLK_TCK);
}

// A "VmXXX:   1234 kB" line of /proc/self/status, in kB.
qint64 statusKb(const char *key)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The format of the window's backing store, when it is an image.
QString backingStoreFormat(QWidget *window)
{
    QBackingStore *store = window->backingStore();
    if (!store || !store->paintDevice() || store->paintDevice()->devType() != QInternal::Image)
        return QStringLiteral("unknown");
    const QImage::Format format = static_cast<QImage *>(store->paintDevice())->format();
    switch (format) {
    case QImage::Format_RGB32:
        return QStringLiteral("RGB32");
    case QImage::Format_ARGB32_Premultiplied:
        return QStringLiteral("ARGB32_Premultiplied");
    case QImage::Format_ARGB32:
        return QStringLiteral("ARGB32");
    default:
        return QStringLiteral("QImage::Format %1").arg(int(format));
    }
}

// The frame rates shown after the first, partial second: the lowest, the
// highest, and the seconds that showed neither 62 nor 63.
struct ShownRange {
    int low = -1, high = -1;
    QStringList outside;

    explicit ShownRange(const TickCounter &counter)
    {
        for (int i = 1; i < counter.shown.size(); ++i) {
            const int fps = counter.shown.at(i);
            low = i == 1 ? fps : std::min(low, fps);
            high = std::max(high, fps);
            if (fps != 62 && fps != 63)
                outside << QStringLiteral("%1:%2fps@host%3%")
                               .arg(i + 1)
                               .arg(fps)
                               .arg(counter.hostBusy.at(i));
        }
    }
};

} // namespace

WindowProbe::WindowProbe(const ProbeOptions &options) : options(options), out(stdout) {}

WindowProbe::~WindowProbe()
{
    counter.reset();
    delete window;
}

void WindowProbe::open()
{
    const int factor = std::max(1, options.scale);
    if (options.bare) {
        window = new QWidget;
        window->setFixedSize(kScreenWidth * factor, kScreenHeight * factor);
    } else {
        // The window as the game opens it: the keyboard and pads read each frame.
        Joystick::sourceSetup = addDefaultSources;
        view = new View;
        if (options.scale > 0)
            Presentation::on(view)->presentScaled(options.scale);
        window = view;
    }
    counter.reset(new TickCounter(view));
    window->show();
    out << (options.bare ? "bare widget" : "game window") << " " << window->width() << "x"
        << window->height() << " on platform " << QGuiApplication::platformName() << ", Qt "
        << qVersion() << ", " << options.seconds << " s\n";
    out.flush();
}

void WindowProbe::run()
{
    clock.start();
    cpuStart = lastCpu = cpuMs();
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout, [this] { sample(); });
    sampler.start(1000);
    QApplication::exec();
}

void WindowProbe::sample()
{
    ++second;
    if (second == 1)
        format = backingStoreFormat(window);
    const qint64 cpu = cpuMs();
    const qint64 rss = statusKb("VmRSS:");
    rssMax = std::max(rssMax, rss);
    if (second == 5)
        rssAt5 = rss;
    out << QStringLiteral("second %1: ticks %2 shown_fps %3 cpu_ms %4 rss_kb %5 host_busy %6%\n")
               .arg(second, 3)
               .arg(counter->ticks - lastTicks, 3)
               .arg(counter->shown.isEmpty() ? -1 : counter->shown.constLast(), 3)
               .arg(cpu - lastCpu, 4)
               .arg(rss)
               .arg(counter->hostBusy.isEmpty() ? -1 : counter->hostBusy.constLast(), 3);
    out.flush();
    lastTicks = counter->ticks;
    lastCpu = cpu;
    if (second >= options.seconds)
        QApplication::quit();
}

void WindowProbe::writeSummary()
{
    const double elapsed = clock.nsecsElapsed() / 1e9;
    const double cpuPercent = 100.0 * double(cpuMs() - cpuStart) / 1000.0 / elapsed;
    const ShownRange shown(*counter);
    out << QStringLiteral(
               "probe: mode=%1 size=%10x%11 seconds=%2 ticks=%3 ticks_per_s=%4 shown_fps_min=%5 "
               "shown_fps_max=%6 shown_outside_62_63=%7 shown_seconds=%8 cpu_percent=%9 ")
               .arg(options.bare ? QStringLiteral("bare") : QStringLiteral("game"))
               .arg(elapsed, 0, 'f', 1)
               .arg(counter->ticks)
               .arg(counter->ticks / elapsed, 0, 'f', 2)
               .arg(shown.low)
               .arg(shown.high)
               .arg(shown.outside.size())
               .arg(std::max(0, int(counter->shown.size()) - 1))
               .arg(cpuPercent, 0, 'f', 2)
               .arg(window->width())
               .arg(window->height())
        << QStringLiteral("outside_seconds=%6 rss_mb_at_5s=%1 rss_mb_max=%2 rss_mb_end=%3 "
                          "hwm_mb=%4 backing_store=%5\n")
               .arg(rssAt5 / 1024.0, 0, 'f', 1)
               .arg(rssMax / 1024.0, 0, 'f', 1)
               .arg(statusKb("VmRSS:") / 1024.0, 0, 'f', 1)
               .arg(statusKb("VmHWM:") / 1024.0, 0, 'f', 1)
               .arg(format)
               .arg(shown.outside.isEmpty() ? QStringLiteral("none")
                                            : shown.outside.join(QLatin1Char(',')));
    out.flush();
}
