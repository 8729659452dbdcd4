#ifndef ROUNDING_H
#define ROUNDING_H

#include <QPoint>

#include "pointf.h"

// Qt 4's qRound on a float: halves round up (2.5 -> 3, -2.5 -> -2), computed in
// float exactly as Qt 4 did. Qt 5 and 6 round negative halves away from zero.
// Values beyond the int range saturate instead of overflowing.
inline int roundHalfUp(float d)
{
    if (d >= 0.0f)
        return d < 2147483648.0f ? int(d + 0.5f) : 2147483647;
    if (!(d >= -2147483648.0f))
        return d < 0.0f ? -2147483647 - 1 : 0; // NaN gives 0
    const int t = int(d - 1.0f);
    return int(d - float(t) + 0.5f) + t;
}

// Where a sprite centred on p is drawn.
inline QPoint roundedPoint(const PointF &p)
{
    return QPoint(roundHalfUp(p.x), roundHalfUp(p.y));
}

#endif
