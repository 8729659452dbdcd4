#ifndef TICKCOUNTER_H
#define TICKCOUNTER_H

#include <QObject>
#include <QVector>

class View;

// Busy and total time of all the machine's cores, in clock ticks, from the
// first line of /proc/stat.
struct HostTimes {
    qint64 busy = 0;
    qint64 total = 0;

    static HostTimes now();
    // The share of all cores busy from `from` to this reading, in percent.
    int busyPercentSince(const HostTimes &from) const;
};

// Counts the window's frame ticks and notes, at each fps tick, the value the
// debug line shows from then on (the handler copies frameCount into fps), and
// how busy the whole machine was during that second: a late frame tick is
// often another process's doing.
class TickCounter : public QObject {
public:
    // Watches `view`'s timer events; a null view counts nothing.
    explicit TickCounter(View *view);

    bool eventFilter(QObject *watched, QEvent *event) override;

    View *view;
    qint64 ticks = 0;
    QVector<int> shown;
    QVector<int> hostBusy; // percent of all cores, per fps tick
    HostTimes lastHost;
};

#endif
