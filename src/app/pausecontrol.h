#ifndef PAUSECONTROL_H
#define PAUSECONTROL_H

#include <QBasicTimer>
#include <QObject>

class QCoreApplication;
class QEvent;
class View;

// Pauses and resumes the game: P on any keyboard the application sees, or a
// pad's Start pressed alone (through the pads' togglePause), toggles; a window
// that loses the focus pauses and stays paused when the focus returns. While
// paused the pads are still read, so that Start resumes and Start with Back
// quits; pausing and resuming count everything held as released.
class PauseControl : public QObject {
    Q_OBJECT

public:
    // Watches every key of `app` and the focus of `view`, whose frames it
    // stops. Focus loss pauses only when `pausesOnFocusLoss` (a desktop
    // window: on the board nothing takes the focus away) and once the window
    // has had the focus. It goes before the view.
    PauseControl(QCoreApplication *app, View *view, bool pausesOnFocusLoss);
    ~PauseControl() override;

    // The control alive now, if there is one.
    static PauseControl *active();

    void toggle();

    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    void pausedChanged(bool paused);

    View *view;
    bool pausesOnFocusLoss;
    bool hadFocus = false;
    QBasicTimer padPoll;
};

#endif
