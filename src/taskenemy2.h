#ifndef TASKENEMY2_H
#define TASKENEMY2_H

#include "taskchara.h"

// The splitting enemy. Large (kind 0): takes 100 points of damage, then bursts
// into eight explosions and two small enemies. Small (any other kind): one
// explosion at its 41st point.
class taskEnemy2 : public TaskChara {
public:
    taskEnemy2(const PointF &pos, int tag, const PointF &velocity, int kind);

    void oneFrame() override;
    void render(QPainter *painter) override;
    void addDamage(int amount) override;

    PointF velocity;
    int kind;
};

#endif
