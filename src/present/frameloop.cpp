#include "present/frameloop.h"

#include <QEvent>
#include <QTimerEvent>
#include <QWindow>

#include "present/platform.h"
#include "view.h"

namespace {
// A screen that shows nothing for this long (a hidden window gets no frame
// callbacks) is taken to have shown the picture, so the game goes on.
constexpr int kLongestPresentationMs = 100;
} // namespace

bool FrameLoop::pacesOn(const Platform &platform)
{
    const QByteArray chosen = qgetenv("SHMUP_FRAME_LOOP");
    if (chosen == "paced")
        return true;
    if (chosen == "timer")
        return false;
    return platform.pacesPresentation;
}

FrameLoop::FrameLoop(View *view) : QObject(view), view(view), clock(0)
{
    elapsed.start();
    view->stopFrameTimer();
    view->windowHandle()->installEventFilter(this);
    connect(view, &View::pausedChanged, this, &FrameLoop::pausedChanged);
    runFramesDue();
}

void FrameLoop::pausedChanged(bool paused)
{
    wait.stop();
    presenting = false;
    if (paused)
        return;
    clock.restart(now());
    runFramesDue();
}

void FrameLoop::runFramesDue()
{
    if (view->isPaused())
        return;
    const int frames = clock.takeFramesDue(now());
    if (frames == 0) {
        // Whole milliseconds rounded up: the frame is due when the timer fires.
        const qint64 nanoseconds = clock.nextFrameAt() - now();
        wait.start(int((nanoseconds + 999999) / 1000000), Qt::PreciseTimer, this);
        return;
    }
    for (int i = 0; i < frames; ++i) {
        view->runFrame();
        ++view->frameCount;
    }
    view->pictureWidget->repaint();
    // The window's next update request comes once the picture is shown: at
    // the compositor's frame callback on Wayland; on eglfs and linuxfb from a
    // timer that fires only after the buffer swap or page flip the repaint
    // queued has returned.
    presenting = true;
    view->windowHandle()->requestUpdate();
    wait.start(kLongestPresentationMs, Qt::PreciseTimer, this);
}

void FrameLoop::presented()
{
    wait.stop();
    presenting = false;
    clock.presented(now());
    runFramesDue();
}

bool FrameLoop::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::UpdateRequest && presenting)
        presented();
    return QObject::eventFilter(watched, event);
}

void FrameLoop::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != wait.timerId())
        return QObject::timerEvent(event);
    if (presenting)
        return presented();
    wait.stop();
    runFramesDue();
}
