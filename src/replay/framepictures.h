#ifndef FRAMEPICTURES_H
#define FRAMEPICTURES_H

#include <QImage>
#include <QString>
#include <QVector>

#include "input/numbertext.h"

class View;

// Pictures of chosen frames of a game, painted by a real game window, with
// the debug line as the window shows it when it runs on time.
class FramePictures {
public:
    // Read by NumberText::toFrameList.
    using Range = NumberText::FrameRange;

    // The frame rate the debug line shows in the window after `frame` (from 0)
    // when its timers keep time: frame F is painted at 16 (F + 1) ms and the
    // figure is the number of frames painted in the last whole second that had
    // ended before that (0 during the first second; then 62 and 63 in turn,
    // since a second holds 62.5 frames).
    static int fpsAt(int frame);

    // Whether a picture of `frame` is asked for: it is in a range, or a
    // multiple of `every` (when not 0).
    bool wanted(int frame) const;

    // DIR/frame-NNNNNN.png
    static QString fileName(const QString &dir, int frame);

    // Paints `view` once, as the window is painted after `frame`.
    static QImage paint(View &view, int frame);

    QVector<Range> ranges;
    int every = 0;
};

#endif
