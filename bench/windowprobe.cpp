// shmup-window-probe: the game window exactly as main() opens it, watched from
// an event filter for a given time. Each second it prints the frame ticks
// handled, the frame rate the debug line shows, the process's CPU time and its
// resident memory, then a one-line summary. With --bare it opens an empty
// 640x480 widget instead, the baseline a Qt window costs. --scale N opens
// either N times as large, as the game's --scale N does.

#include <QApplication>
#include <QBackingStore>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTextStream>
#include <QTimer>
#include <QTimerEvent>
#include <QVector>

#include <algorithm>
#include <unistd.h>

#include "app/defaultsources.h"
#include "joystick.h"
#include "present/presentation.h"
#include "screen.h"
#include "view.h"

namespace {

// Busy and total time of all the machine's cores, in clock ticks, from the
// first line of /proc/stat.
struct HostTimes {
    qint64 busy = 0;
    qint64 total = 0;
};

HostTimes hostTimes()
{
    HostTimes times;
    QFile file(QStringLiteral("/proc/stat"));
    if (!file.open(QIODevice::ReadOnly))
        return times;
    const QList<QByteArray> fields = file.readLine().simplified().split(' ');
    // cpu user nice system idle iowait irq softirq steal ...
    for (int i = 1; i < fields.size() && i <= 8; ++i) {
        const qint64 value = fields.at(i).toLongLong();
        times.total += value;
        if (i != 4 && i != 5)
            times.busy += value;
    }
    return times;
}

// The share of all cores busy between two readings, in percent.
int busyPercent(const HostTimes &from, const HostTimes &to)
{
    const qint64 total = to.total - from.total;
    return total > 0 ? int(100 * (to.busy - from.busy) / total) : -1;
}

// Counts the window's frame ticks and notes, at each fps tick, the value the
// debug line shows from then on (the handler copies frameCount into fps), and
// how busy the whole machine was during that second: a late frame tick is
// often another process's doing.
class TickCounter : public QObject {
public:
    explicit TickCounter(View *view) : view(view), lastHost(hostTimes()) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == view && event->type() == QEvent::Timer) {
            const int id = static_cast<QTimerEvent *>(event)->timerId();
            if (id == view->frameTimerId) {
                ++ticks;
            } else if (id == view->fpsTimerId) {
                const HostTimes now = hostTimes();
                shown.append(view->frameCount);
                hostBusy.append(busyPercent(lastHost, now));
                lastHost = now;
            }
        }
        return false;
    }

    View *view;
    qint64 ticks = 0;
    QVector<int> shown;
    QVector<int> hostBusy; // percent of all cores, per fps tick
    HostTimes lastHost;
};

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

QString formatName(QImage::Format format)
{
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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int seconds = 60;
    bool bare = false;
    int scale = 0;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--seconds") && i + 1 < args.size()) {
            seconds = std::max(2, args.at(++i).toInt());
        } else if (args.at(i) == QLatin1String("--bare")) {
            bare = true;
        } else if (args.at(i) == QLatin1String("--scale") && i + 1 < args.size() &&
                   args.at(i + 1).toInt() > 0) {
            scale = args.at(++i).toInt();
        } else {
            QTextStream(stderr) << "usage: shmup-window-probe [--seconds N] [--bare] [--scale N]\n";
            return 2;
        }
    }

    QWidget *window = nullptr;
    View *view = nullptr;
    if (bare) {
        window = new QWidget;
        window->setFixedSize(kScreenWidth * std::max(1, scale), kScreenHeight * std::max(1, scale));
    } else {
        // The window as the game opens it: the keyboard and pads read each frame.
        Joystick::sourceSetup = addDefaultSources;
        view = new View;
        if (scale > 0)
            Presentation::on(view)->presentScaled(scale);
        window = view;
    }
    TickCounter counter(view);
    if (view)
        view->installEventFilter(&counter);
    window->show();

    QTextStream out(stdout);
    out << (bare ? "bare widget" : "game window") << " " << window->width() << "x"
        << window->height() << " on platform " << QGuiApplication::platformName() << ", Qt "
        << qVersion() << ", " << seconds << " s\n";
    out.flush();

    QElapsedTimer clock;
    clock.start();
    const qint64 cpuStart = cpuMs();
    qint64 lastTicks = 0;
    qint64 lastCpu = cpuStart;
    qint64 rssAt5 = -1;
    qint64 rssMax = 0;
    QString format = QStringLiteral("unknown");
    int second = 0;
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        ++second;
        if (second == 1 && window->backingStore() && window->backingStore()->paintDevice() &&
            window->backingStore()->paintDevice()->devType() == QInternal::Image)
            format =
                formatName(static_cast<QImage *>(window->backingStore()->paintDevice())->format());
        const qint64 cpu = cpuMs();
        const qint64 rss = statusKb("VmRSS:");
        rssMax = std::max(rssMax, rss);
        if (second == 5)
            rssAt5 = rss;
        out << QStringLiteral(
                   "second %1: ticks %2 shown_fps %3 cpu_ms %4 rss_kb %5 host_busy %6%\n")
                   .arg(second, 3)
                   .arg(counter.ticks - lastTicks, 3)
                   .arg(counter.shown.isEmpty() ? -1 : counter.shown.constLast(), 3)
                   .arg(cpu - lastCpu, 4)
                   .arg(rss)
                   .arg(counter.hostBusy.isEmpty() ? -1 : counter.hostBusy.constLast(), 3);
        out.flush();
        lastTicks = counter.ticks;
        lastCpu = cpu;
        if (second >= seconds)
            app.quit();
    });
    sampler.start(1000);
    app.exec();

    const double elapsed = clock.nsecsElapsed() / 1e9;
    const double cpuPercent = 100.0 * double(cpuMs() - cpuStart) / 1000.0 / elapsed;
    // The first fps tick reports the first, partial second.
    int low = 1000, high = 0, outside = 0;
    QStringList outsideSeconds;
    for (int i = 1; i < counter.shown.size(); ++i) {
        const int fps = counter.shown.at(i);
        low = std::min(low, fps);
        high = std::max(high, fps);
        if (fps != 62 && fps != 63) {
            ++outside;
            outsideSeconds << QStringLiteral("%1:%2fps@host%3%")
                                  .arg(i + 1)
                                  .arg(fps)
                                  .arg(counter.hostBusy.at(i));
        }
    }
    if (counter.shown.size() < 2)
        low = high = -1;
    out << QStringLiteral(
               "probe: mode=%1 size=%10x%11 seconds=%2 ticks=%3 ticks_per_s=%4 shown_fps_min=%5 "
               "shown_fps_max=%6 shown_outside_62_63=%7 shown_seconds=%8 cpu_percent=%9 ")
               .arg(bare ? QStringLiteral("bare") : QStringLiteral("game"))
               .arg(elapsed, 0, 'f', 1)
               .arg(counter.ticks)
               .arg(counter.ticks / elapsed, 0, 'f', 2)
               .arg(low)
               .arg(high)
               .arg(outside)
               .arg(std::max(0, int(counter.shown.size()) - 1))
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
               .arg(outsideSeconds.isEmpty() ? QStringLiteral("none")
                                             : outsideSeconds.join(QLatin1Char(',')));
    out.flush();
    delete window;
    return 0;
}
