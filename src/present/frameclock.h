#ifndef FRAMECLOCK_H
#define FRAMECLOCK_H

#include <QVector>
#include <QtGlobal>

// The game's clock where the screen paces the pictures: 62.5 frames per
// second of wall time whatever the screen's refresh, told in nanoseconds of a
// monotonic clock. Told when each picture reaches the screen, it learns the
// refresh, and on a screen within 5 % of 62.5 Hz runs exactly one frame per
// refresh instead (smooth; at 60 Hz the game runs 4 % slow, as a 16 ms timer
// did).
class FrameClock {
public:
    static constexpr qint64 kFramePeriod = 16000000;
    // Past this many frames due at once the game slows down rather than jumps.
    static constexpr int kMostFramesAtOnce = 4;

    // The first frame falls due one period after `start`.
    explicit FrameClock(qint64 start) : due(start + kFramePeriod) {}

    // Starts again at `now` after a time without frames (a pause): the next
    // frame falls due one period later, none is owed for the time gone, and
    // the refresh learnt so far is kept.
    void restart(qint64 now);
    // The frames to run now, counted as run: 0 when none is due yet.
    int takeFramesDue(qint64 now);
    // When the next frame falls due, for a wait when none is due now.
    qint64 nextFrameAt() const { return due; }
    // A picture reached the screen at `now`.
    void presented(qint64 now);
    // The screen's refresh period as lately seen (the median of the recent
    // intervals between pictures that no wait of ours stretched); 0 until known.
    qint64 refreshPeriod() const;
    // Whether the refresh is near enough 62.5 Hz to run one frame per refresh.
    bool locked() const;

private:
    qint64 due;
    qint64 lastPresented = -1;
    qint64 lastInterval = 0;
    // Whether the loop waited for a frame since the last picture: the
    // interval to the next one then says nothing of the refresh.
    bool waited = false;
    QVector<qint64> intervals;
};

#endif
