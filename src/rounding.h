#ifndef ROUNDING_H
#define ROUNDING_H

#include <QPoint>

#include "pointf.h"

// Qt 4's qRound on a float: halves round up (2.5 -> 3, -2.5 -> -2), where Qt 6
// rounds negative halves away from zero. Unlike a bare float d + 0.5f it is exact
// just below a half and for whole numbers from 2^23 on, and values beyond the
// int range saturate instead of overflowing.
inline int roundHalfUp(float d)
{
    if (d >= 0.0f) {
        // d + 0.5f itself rounds: 0.49999997f would give 1, and odd whole
        // numbers from 2^23 on (where every float is whole) the next even one.
        if (d < 0.5f)
            return 0;
        if (d >= 8388608.0f)
            return d < 2147483648.0f ? int(d) : 2147483647;
        return int(d + 0.5f);
    }
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
