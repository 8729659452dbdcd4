#ifndef POINTF_H
#define POINTF_H

// A position or velocity in single precision. Qt's QPointF holds doubles on the
// desktop, and the game's arithmetic must stay in float to play out identically
// on every platform.
struct PointF {
    float x = 0.0f;
    float y = 0.0f;

    constexpr PointF() = default;
    constexpr PointF(float x, float y) : x(x), y(y) {}

    PointF &operator+=(const PointF &o)
    {
        x += o.x;
        y += o.y;
        return *this;
    }
    friend PointF operator+(PointF a, const PointF &b) { return a += b; }
    friend bool operator==(const PointF &a, const PointF &b) { return a.x == b.x && a.y == b.y; }
    friend bool operator!=(const PointF &a, const PointF &b) { return !(a == b); }
};

#endif
