#include "input/eventtap.h"

#include <QCoreApplication>

EventTap::EventTap(QCoreApplication *app, Handler handler)
    : QObject(app), handler(std::move(handler))
{
    app->installEventFilter(this);
}

bool EventTap::eventFilter(QObject *watched, QEvent *event)
{
    handler(watched, event);
    return false;
}
