#ifndef QUITKEYS_H
#define QUITKEYS_H

#include <QObject>

class QCoreApplication;
class QEvent;

// Escape quits the game, from any keyboard the application sees (a desktop's,
// or the board's through Qt's input handlers): it ends the event loop with
// status 0, as closing the window does.
class QuitKeys : public QObject {
    Q_OBJECT

public:
    // Watches every key of `app` while this object lives.
    explicit QuitKeys(QCoreApplication *app);

    bool eventFilter(QObject *watched, QEvent *event) override;
};

#endif
