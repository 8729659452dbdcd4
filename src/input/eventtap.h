#ifndef EVENTTAP_H
#define EVENTTAP_H

#include <QObject>
#include <functional>

class QCoreApplication;
class QEvent;

// Shows an input source every event of the application without consuming
// any: the window and the rest of the application still see them all.
class EventTap : public QObject {
public:
    using Handler = std::function<void(QObject *receiver, const QEvent *event)>;

    // Installs itself on `app` as the application's child, so that an
    // application destroyed before the source (the joystick outlives it at
    // process exit) takes the tap along.
    EventTap(QCoreApplication *app, Handler handler);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler handler;
};

#endif
