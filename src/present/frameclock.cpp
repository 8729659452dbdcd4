#include "present/frameclock.h"

#include <algorithm>

namespace {
// Enough intervals for one refresh that stalls or completes at once to leave
// the median alone.
constexpr int kIntervalsKept = 15;
constexpr int kIntervalsToKnow = 8;
// 62.5 Hz less and more 5 %: 59.375 and 65.625 Hz.
constexpr qint64 kLongestLockedPeriod = 16842105;
constexpr qint64 kShortestLockedPeriod = 15238095;
} // namespace

void FrameClock::restart(qint64 now)
{
    due = now + kFramePeriod;
    lastPresented = -1;
    lastInterval = 0;
    waited = false;
}

int FrameClock::takeFramesDue(qint64 now)
{
    // Locked, one frame a refresh; a picture shown far sooner than a refresh
    // was not paced by the screen, and the clock decides.
    if (locked() && lastInterval >= kFramePeriod / 2) {
        due = now + kFramePeriod;
        return 1;
    }
    if (now < due) {
        waited = true;
        return 0;
    }
    const qint64 late = (now - due) / kFramePeriod;
    if (late >= kMostFramesAtOnce) {
        due = now + kFramePeriod;
        return kMostFramesAtOnce;
    }
    due += (late + 1) * kFramePeriod;
    return int(late + 1);
}

void FrameClock::presented(qint64 now)
{
    if (lastPresented >= 0) {
        lastInterval = now - lastPresented;
        if (!waited) {
            intervals.append(lastInterval);
            if (intervals.size() > kIntervalsKept)
                intervals.removeFirst();
        }
    }
    lastPresented = now;
    waited = false;
}

qint64 FrameClock::refreshPeriod() const
{
    if (intervals.size() < kIntervalsToKnow)
        return 0;
    QVector<qint64> sorted = intervals;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    return sorted.at(sorted.size() / 2);
}

bool FrameClock::locked() const
{
    const qint64 period = refreshPeriod();
    return period >= kShortestLockedPeriod && period <= kLongestLockedPeriod;
}
