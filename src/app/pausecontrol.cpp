#include "app/pausecontrol.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimerEvent>

#include "joystick.h"
#include "view.h"

namespace {
// While paused the pads are read as often as a frame would read them.
constexpr int kPadPollMs = 16;

PauseControl *living = nullptr;
} // namespace

PauseControl::PauseControl(QCoreApplication *app, View *view, bool pausesOnFocusLoss)
    : view(view), pausesOnFocusLoss(pausesOnFocusLoss)
{
    app->installEventFilter(this);
    connect(view, &View::pausedChanged, this, &PauseControl::pausedChanged);
    living = this;
}

PauseControl::~PauseControl()
{
    if (living == this)
        living = nullptr;
}

PauseControl *PauseControl::active()
{
    return living;
}

void PauseControl::toggle()
{
    view->setPaused(!view->isPaused());
}

bool PauseControl::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto *key = static_cast<const QKeyEvent *>(event);
        if (key->key() != Qt::Key_P)
            return false;
        if (!key->isAutoRepeat())
            toggle();
        // Taken here, so that one press toggles once rather than once for
        // each object the event would pass through.
        return true;
    }
    case QEvent::WindowActivate:
        hadFocus = hadFocus || watched == view;
        return false;
    case QEvent::WindowDeactivate:
        if (watched == view && hadFocus && pausesOnFocusLoss)
            view->setPaused(true);
        return false;
    default:
        return false;
    }
}

void PauseControl::pausedChanged(bool paused)
{
    Joystick::inst()->release();
    if (paused)
        padPoll.start(kPadPollMs, this);
    else
        padPoll.stop();
}

void PauseControl::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == padPoll.timerId())
        Joystick::inst()->pollControls();
    else
        QObject::timerEvent(event);
}
