#ifndef VIEW_H
#define VIEW_H

#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

// The game window: a 16 ms frame timer advances and repaints the game, a
// 1000 ms timer samples the frame rate shown in the debug line. Paused, no
// frame runs and the window shows the last picture with "PAUSED" over it.
class View : public QWidget {
    Q_OBJECT

public:
    explicit View(QWidget *parent = nullptr);
    ~View() override;

    void renderDebug(QPainter *painter);
    // "PAUSED" across the middle of the 640x480 picture while paused; nothing otherwise.
    void renderPaused(QPainter *painter) const;

    bool isPaused() const { return paused; }
    // Stops the frames (the picture stands, kept in `still`) or lets them run
    // again; tells pausedChanged() when that changes.
    void setPaused(bool pause);

    // The game's start-up: the task manager (created on this first use) and the
    // scene director, which adds the starfield and the first ship.
    static void startGame();
    // Puts the game back to before its start-up, for a program that plays it
    // more than once (the tests, the bench): no task, no ship position, no
    // input source, nothing held, and rand() from the start of its sequence.
    static void resetGame();
    // One frame of the game: the joystick's refresh (created on the first
    // frame), then the manager's updates, collisions and deletions.
    static void stepGame();
    // One frame as the frame timer runs it, less the repaint and the count:
    // the game's frame, then the frame hook.
    void runFrame();
    // Stops the frame timer, for a loop that runs the frames itself.
    void stopFrameTimer();

    int frameTimerId;
    int fpsTimerId;
    int frameCount;
    int fps;
    // Called in order in every frame tick after the game's frame and before the
    // repaint (a replay recorder reads the frame's input and state there, the
    // sound queues the frame's samples); none by default.
    std::vector<std::function<void()>> frameDone;
    // The widget each frame repaints: the view itself, or one that draws the
    // picture over the whole view.
    QWidget *pictureWidget = this;
    // Leaves the debug line out of the paint (pictures of the game alone); off by default.
    bool hideDebugLine = false;
    // The view's pixels as they stood when the pause began (the last picture
    // painted), for the paints while paused: a repaint of the game would count
    // as one of its frames drawn (the entering ship blinks by them).
    QImage still;

signals:
    void pausedChanged(bool paused);

protected:
    void timerEvent(QTimerEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void keepStill();

    bool paused = false;
};

#endif
