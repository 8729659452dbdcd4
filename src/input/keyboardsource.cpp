#include "input/keyboardsource.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>

#include "input/eventtap.h"

KeyboardSource::KeyboardSource(QCoreApplication *app)
{
    if (!app)
        return;
    filter = new EventTap(app, [this](QObject *, const QEvent *event) { handleEvent(event); });
}

KeyboardSource::~KeyboardSource()
{
    delete filter.data();
}

bool KeyboardSource::isGameKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_A:
    case Qt::Key_D:
    case Qt::Key_W:
    case Qt::Key_S:
    case Qt::Key_Z:
    case Qt::Key_Space:
    case Qt::Key_Control:
    case Qt::Key_X:
        return true;
    default:
        return false;
    }
}

void KeyboardSource::handleEvent(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        // The same key event reaches the filter once per object it passes
        // through (window, widget, parents), so holding is a set, not a count.
        const auto *keyEvent = static_cast<const QKeyEvent *>(event);
        if (keyEvent->isAutoRepeat() || !isGameKey(keyEvent->key()))
            break;
        if (event->type() == QEvent::KeyPress)
            heldKeys.insert(keyEvent->key());
        else
            heldKeys.remove(keyEvent->key());
        break;
    }
    // A key released while the window is not focused never reaches us, so
    // every key counts as released when the focus goes.
    case QEvent::FocusOut:
    case QEvent::WindowDeactivate:
        releaseAll();
        break;
    case QEvent::ApplicationStateChange:
        if (static_cast<const QApplicationStateChangeEvent *>(event)->applicationState() !=
            Qt::ApplicationActive)
            releaseAll();
        break;
    default:
        break;
    }
}

bool KeyboardSource::isHeld(int key, int otherKey) const
{
    return heldKeys.contains(key) || heldKeys.contains(otherKey);
}

void KeyboardSource::poll(InputState &state)
{
    // Opposite keys cancel: each adds its own unit to the axis.
    state.x += int(isHeld(Qt::Key_Right, Qt::Key_D)) - int(isHeld(Qt::Key_Left, Qt::Key_A));
    state.y += int(isHeld(Qt::Key_Down, Qt::Key_S)) - int(isHeld(Qt::Key_Up, Qt::Key_W));
    if (isHeld(Qt::Key_Z, Qt::Key_Space) || heldKeys.contains(Qt::Key_Control))
        state.triggers[0] = true;
    if (heldKeys.contains(Qt::Key_X))
        state.triggers[1] = true;
}
