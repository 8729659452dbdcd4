#ifndef TASKEXPLODE_H
#define TASKEXPLODE_H

#include "pointf.h"
#include "task.h"

// An explosion: four cells of three frames each where a character was destroyed.
class taskExplode : public Task {
public:
    taskExplode(const PointF &pos, int tag);

    void oneFrame() override;
    void render(QPainter *painter) override;

    PointF pos;
    int animWait;
    int animFrame;
};

#endif
