#ifndef TASKENEMY1_H
#define TASKENEMY1_H

#include "taskchara.h"

// The aiming enemy: flies straight and fires a bullet at the ship on its first
// frame and every 60th after it.
class taskEnemy1 : public TaskChara {
public:
    taskEnemy1(const PointF &pos, int tag, const PointF &velocity);

    void oneFrame() override;
    void render(QPainter *painter) override;
    void addDamage(int amount) override;

    int fireCounter;
    PointF velocity;
};

#endif
