#ifndef FRAMELOOP_H
#define FRAMELOOP_H

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>

#include "present/frameclock.h"

struct Platform;
class View;

// The game's frames run around the screen's pictures, on a platform that
// paces them: once a picture is on the screen, the frames due on the frame
// clock, then one repaint; a timer waits when no frame is due. It takes over
// from the view's 16 ms frame timer. While the view is paused no frame runs;
// the clock starts again when it resumes, so no frame is owed for the pause.
class FrameLoop : public QObject {
    Q_OBJECT

public:
    // Whether the frames follow the screen on `platform`; SHMUP_FRAME_LOOP set
    // to "paced" or "timer" chooses on any platform.
    static bool pacesOn(const Platform &platform);
    // Runs the frames of the shown `view` from now on; the view owns the loop.
    explicit FrameLoop(View *view);

    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    void runFramesDue();
    void pausedChanged(bool paused);
    void presented();
    qint64 now() const { return elapsed.nsecsElapsed(); }

    View *view;
    QElapsedTimer elapsed;
    FrameClock clock;
    // The wait for the next frame due or, while a picture is on its way, for
    // a screen that has stopped telling when it shows one.
    QBasicTimer wait;
    bool presenting = false;
};

#endif
