#include "input/pointersource.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include "input/eventtap.h"
#include "taskmanager.h"

namespace {
QPointF screenPosition(const QMouseEvent *event)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return event->globalPosition();
#else
    return event->screenPos();
#endif
}

// -1, 0 or 1 towards the target along one axis, 0 once within reach.
int towards(float offset)
{
    return offset > PointerSource::kReach ? 1 : offset < -PointerSource::kReach ? -1 : 0;
}
} // namespace

PointerSource::PointerSource(QCoreApplication *app, Scale scale) : scale(std::move(scale))
{
    if (!app)
        return;
    filter = new EventTap(
        app, [this](QObject *receiver, const QEvent *event) { handleEvent(receiver, event); });
}

PointerSource::~PointerSource()
{
    delete filter.data();
}

void PointerSource::handleEvent(QObject *receiver, const QEvent *event)
{
    QEvent::Type type = event->type();
    // A second press soon after the first (a quick second tap) may reach the
    // widget as a double click alone (Qt 5 drops the press then): a press all the same.
    if (type == QEvent::MouseButtonDblClick)
        type = QEvent::MouseButtonPress;
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return;
    // Each mouse event passes the application twice, to the window and then to
    // the widget in it: the widget's copy alone counts.
    auto *widget = qobject_cast<QWidget *>(receiver);
    if (!widget)
        return;
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton && !held) {
        held = true;
        pressed = widget;
        shipAtPress = TaskManager::inst()->getMyShipPos();
        pressedAt = now = screenPosition(mouse);
    } else if (type == QEvent::MouseMove && held) {
        now = screenPosition(mouse);
    } else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
        held = false;
    }
}

void PointerSource::poll(InputState &state)
{
    if (!held)
        return;
    const double pixels = scale && pressed ? scale(pressed) : 1.0;
    const QPointF moved = (now - pressedAt) / (pixels > 0.0 ? pixels : 1.0);
    const PointF ship = TaskManager::inst()->getMyShipPos();
    state.x += towards(shipAtPress.x + float(moved.x()) - ship.x);
    state.y += towards(shipAtPress.y + float(moved.y()) - ship.y);
    state.triggers[0] = true;
}
