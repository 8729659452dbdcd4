#ifndef TASKBG_H
#define TASKBG_H

#include <QVector>

#include "pointf.h"
#include "task.h"

// One star of the background; each draws its own random place and speed.
struct Star {
    Star();

    PointF pos;
    PointF velocity;
};

// The starfield: clears the screen to black and draws 100 stars falling at four
// speeds, shifted sideways with the ship for parallax.
class taskBG : public Task {
public:
    explicit taskBG(int tag);

    void oneFrame() override;
    void render(QPainter *painter) override;

    QVector<Star> stars;
};

#endif
