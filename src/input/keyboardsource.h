#ifndef KEYBOARDSOURCE_H
#define KEYBOARDSOURCE_H

#include <QPointer>
#include <QSet>

#include "joystick.h"

class QCoreApplication;
class QEvent;
class QObject;

// The keyboard as a joystick: arrows or W/A/S/D steer, Z, Space or Ctrl fires,
// X is the second trigger. It watches every key of the application, so the
// window needs no key handling of its own.
class KeyboardSource : public InputSource {
public:
    // Installs an event filter on `app`; the filter goes with the source, or
    // with the application if that goes first.
    explicit KeyboardSource(QCoreApplication *app);
    ~KeyboardSource() override;
    KeyboardSource(const KeyboardSource &) = delete;
    KeyboardSource &operator=(const KeyboardSource &) = delete;

    void poll(InputState &state) override;
    // A key held now counts again once pressed afresh (its repeats never count).
    void release() override { releaseAll(); }

    // Updates the held keys from one event of the application.
    void handleEvent(const QEvent *event);
    void releaseAll() { heldKeys.clear(); }

    // The keys this source knows; the rest are never held.
    static bool isGameKey(int key);

    QSet<int> heldKeys;
    QPointer<QObject> filter;

private:
    bool isHeld(int key, int otherKey) const;
};

#endif
