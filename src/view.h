#ifndef VIEW_H
#define VIEW_H

#include <QImage>
#include <QRect>
#include <QWidget>
#include <functional>

// The game window: a 16 ms frame timer advances and repaints the game, a
// 1000 ms timer samples the frame rate shown in the debug line.
class View : public QWidget {
    Q_OBJECT

public:
    explicit View(QWidget *parent = nullptr);
    ~View() override;

    void renderDebug(QPainter *painter);

    // The game's start-up: the task manager (created on this first use) and the
    // scene director, which adds the starfield and the first ship.
    static void startGame();
    // One frame of the game: the joystick's refresh (created on the first
    // frame), then the manager's updates, collisions and deletions.
    static void stepGame();
    // What a paint draws: the game, then the debug line, in the picture's place
    // (with black around it when presented on a larger screen).
    void paintScreen(QPainter *painter);

    // Shows the game's 640x480 picture on a screen of that size: the widget
    // takes the size (no longer fixed) and the picture is drawn at
    // pictureRect(), on black. Works on a hidden widget too (render, grab).
    void presentOn(const QSize &screen);
    // A window of factor times 640x480, fixed, each game pixel factor by factor.
    void presentScaled(int factor);
    // The window on the whole screen, the picture centred and scaled, with no
    // mouse pointer.
    void showOnWholeScreen();
    // Shows an N-times window; a factor too large for the screen is brought
    // down to the largest that fits, with one warning.
    void showScaled(int factor);
    // Where the picture lies on the widget: (0, 0, 640, 480) unless presented.
    QRect pictureRect() const;
    // The picture's place on a screen of that size: centred, scaled up by the
    // largest whole factor that fits, or shrunk to fit with its aspect kept.
    static QRect placePicture(const QSize &screen);
    // The largest whole factor at which the picture fits the screen, at least 1.
    static int largestScale(const QSize &screen);
    // Platforms with no window system, where the game always covers the screen.
    static bool isFullScreenPlatform(const QString &platformName);

    int frameTimerId;
    int fpsTimerId;
    int frameCount;
    int fps;
    // Called in every frame tick after the game's frame and before the repaint
    // (a replay recorder reads the frame's input and state there); unset by default.
    std::function<void()> frameDone;
    // Leaves the debug line out of the paint (pictures of the game alone); off by default.
    bool hideDebugLine = false;

protected:
    void timerEvent(QTimerEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void fitPicture();
    // A picture scaled up by a whole factor: the game painted at 1x into
    // gameFrame, then each pixel copied into a factor-by-factor block, straight
    // into the image being painted when that gives the same pixels (else drawn
    // by Qt, unsmoothed). The sprites are blended over a quarter of the pixels
    // at 2x, and the large picture is written once: about half the cost of
    // drawing every sprite through a scaling transform.
    void paintScaledUp(QPainter *painter, const QRect &picture, int factor);

    QImage gameFrame;

    // Set by presentOn() and presentScaled(): the picture follows the widget's size.
    bool fitsPicture = false;
};

#endif
