#ifndef PRESENTATION_H
#define PRESENTATION_H

#include <QObject>
#include <QRect>

#include "present/scaleduppicture.h"

class QPainter;
class View;

// The game's 640x480 picture shown on a screen of another size: centred on
// black, scaled up by a whole factor or shrunk with its aspect kept. Once a
// view is presented, its presentation paints it; until then the view paints
// itself as designed.
class Presentation : public QObject {
    Q_OBJECT

public:
    // The view's presentation, made (and owned by the view) on first use.
    static Presentation *on(View *view);

    // Shows the picture on a screen of that size: the view takes the size (no
    // longer fixed) and the picture is drawn at pictureRect(), on black. Works
    // on a hidden view too (render, grab).
    void presentOn(const QSize &screen);
    // A window of factor times 640x480, fixed, each game pixel factor by factor.
    void presentScaled(int factor);
    // The view on the whole screen, the picture centred and scaled, with no
    // mouse pointer.
    void showOnWholeScreen();
    // Shows an N-times window; a factor too large for the screen is brought
    // down to the largest that fits, with one warning.
    void showScaled(int factor);
    // The window the player asked for: on the whole screen, N times as large
    // (factor above 0), or the designed 640x480 window.
    void show(bool wholeScreen, int factor);
    // Draws the picture through OpenGL from now on, before the view is shown:
    // the same place, 1x picture and debug line, scaled by the GPU.
    void drawThroughOpenGl();

    // Where the picture lies on the view: (0, 0, 640, 480) unless presented.
    QRect pictureRect() const;
    // The picture's place on a screen of that size: centred, scaled up by the
    // largest whole factor that fits, or shrunk to fit with its aspect kept.
    static QRect placePicture(const QSize &screen);
    // Screen pixels a game pixel takes on `widget`: the presented picture's
    // scale on a view, 1 on anything else.
    static double scaleOf(const QWidget *widget);
    // The largest whole factor at which the picture fits the screen, at least 1.
    static int largestScale(const QSize &screen);

    // What a paint of the presented view draws: black around the picture, the
    // game in it, then the debug line.
    void paint(QPainter *painter);
    // Fills `all` but `picture` with black.
    static void fillAround(QPainter *painter, const QRect &all, const QRect &picture);
    // Maps the game's 640x480 coordinates onto `picture`, kept inside it.
    static void mapInto(QPainter *painter, const QRect &picture);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit Presentation(View *view);
    void fitPicture();

    View *view;
    ScaledUpPicture scaledUp;
    // Set by presentOn() and presentScaled(): the picture follows the view's size.
    bool fitsPicture = false;
};

#endif
