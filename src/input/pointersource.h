#ifndef POINTERSOURCE_H
#define POINTERSOURCE_H

#include <QPointF>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "joystick.h"
#include "pointf.h"

class QCoreApplication;
class QEvent;
class QObject;
class QWidget;

// The mouse or a touch screen as a joystick: while the left button or a finger
// is down the ship fires and heads for the point it was at when the finger
// went down, moved as far as the finger has moved since (in game pixels).
// Touches reach it as the mouse events Qt makes of the first finger, so a
// second finger is never seen; hovering steers nothing.
class PointerSource : public InputSource {
public:
    // How many screen pixels one game pixel takes on the widget pressed: 2 in
    // a --scale 2 window, less than 1 on a screen smaller than the picture.
    // Asked at every poll, so a window resized mid-drag is followed.
    using Scale = std::function<double(const QWidget *)>;

    // Installs an event filter on `app`, which goes with the source, or with
    // the application if that goes first. No scale means 1.
    PointerSource(QCoreApplication *app, Scale scale = Scale());
    ~PointerSource() override;
    PointerSource(const PointerSource &) = delete;
    PointerSource &operator=(const PointerSource &) = delete;

    void poll(InputState &state) override;
    // A button or finger down now steers again once pressed afresh.
    void release() override { held = false; }

    // Follows one event of the application sent to `receiver`.
    void handleEvent(QObject *receiver, const QEvent *event);

    // Within this many game pixels of the target an axis counts as reached:
    // half the ship's straight step, so it stops instead of shaking.
    static constexpr float kReach = 2.0f;

    bool held = false;
    PointF shipAtPress;
    QPointF pressedAt; // screen pixels
    QPointF now;       // screen pixels
    QPointer<QWidget> pressed;
    Scale scale;
    QPointer<QObject> filter;
};

#endif
