#include "app/quitkeys.h"

#include <QCoreApplication>
#include <QKeyEvent>

QuitKeys::QuitKeys(QCoreApplication *app)
{
    app->installEventFilter(this);
}

bool QuitKeys::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (key->key() != Qt::Key_Escape)
        return false;
    // Only a fresh press: the repeats of an Escape still held from whatever ran
    // before the game must not end it the moment it starts.
    if (!key->isAutoRepeat())
        QCoreApplication::quit();
    // Taken here, so that one press asks once, rather than once for each
    // object the event would pass through; nothing else in the game uses it.
    return true;
}
