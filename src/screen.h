#ifndef SCREEN_H
#define SCREEN_H

#include <QRect>
#include <QSize>

// The game's screen, in the pixels every position is given in: the picture
// that a window of any size shows.
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
inline QSize screenSize() { return QSize(kScreenWidth, kScreenHeight); }
inline QRect screenRect() { return QRect(0, 0, kScreenWidth, kScreenHeight); }

#endif
