#ifndef TASKENEMYBULLET_H
#define TASKENEMYBULLET_H

#include "taskchara.h"

// An enemy's bullet: a four-cell animation moving with an accelerated velocity.
class taskEnemyBullet : public TaskChara {
public:
    taskEnemyBullet(const PointF &pos, int tag, const PointF &velocity, const PointF &acceleration);

    void oneFrame() override;
    void render(QPainter *painter) override;
    void addDamage(int amount) override;

    PointF velocity;
    PointF acceleration;
    int animFrame;
};

#endif
