#ifndef SCALEDUPPICTURE_H
#define SCALEDUPPICTURE_H

#include <QImage>

class QPainter;
class QRect;
class QWidget;

// The game's picture scaled up by a whole factor: the game painted at 1x into
// a frame of its own, then each pixel copied into a factor-by-factor block,
// straight into the image being painted when that gives the same pixels (else
// drawn by Qt, unsmoothed). The sprites are blended over a quarter of the
// pixels at 2x, and the large picture is written once: about half the cost of
// drawing every sprite through a scaling transform.
class ScaledUpPicture {
public:
    // Paints the game into `picture` (factor times 640x480) as a painter on
    // `window` would start: the window's pen, background and font.
    void paint(QPainter *painter, const QRect &picture, int factor, const QWidget &window);
    // Paints the game at 1x on `framePainter`, started as a painter on
    // `window` would start: the window's pen, background and font.
    static void paintGame(QPainter *framePainter, const QWidget &window);

private:
    QImage gameFrame;
};

#endif
