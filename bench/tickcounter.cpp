#include "tickcounter.h"

#include <QEvent>
#include <QFile>
#include <QTimerEvent>

#include "view.h"

HostTimes HostTimes::now()
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

int HostTimes::busyPercentSince(const HostTimes &from) const
{
    const qint64 elapsed = total - from.total;
    return elapsed > 0 ? int(100 * (busy - from.busy) / elapsed) : -1;
}

TickCounter::TickCounter(View *view) : view(view), lastHost(HostTimes::now())
{
    if (view)
        view->installEventFilter(this);
}

bool TickCounter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view && event->type() == QEvent::Timer) {
        const int id = static_cast<QTimerEvent *>(event)->timerId();
        if (id == view->frameTimerId) {
            ++ticks;
        } else if (id == view->fpsTimerId) {
            const HostTimes now = HostTimes::now();
            shown.append(view->frameCount);
            hostBusy.append(now.busyPercentSince(lastHost));
            lastHost = now;
        }
    }
    return false;
}
