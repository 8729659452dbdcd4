#ifndef SPRITEDRAWINGS_H
#define SPRITEDRAWINGS_H

#include <QPair>
#include <QRect>
#include <QVector>
#include <functional>

class QPainter;

// One sprite of the sheet: its region, and how it is drawn with the region's
// top-left as the origin.
using SpriteDrawing = QPair<QRect, std::function<void(QPainter &)>>;

// Every sprite of the sheet, in the order shmup-makesheet paints them.
QVector<SpriteDrawing> spriteDrawings();

#endif
