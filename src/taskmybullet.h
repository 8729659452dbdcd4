#ifndef TASKMYBULLET_H
#define TASKMYBULLET_H

#include "taskchara.h"

// The player's shot: flies straight up at 16 pixels a frame.
class taskMyBullet : public TaskChara {
public:
    taskMyBullet(const PointF &pos, int tag);

    void oneFrame() override;
    void render(QPainter *painter) override;
    void addDamage(int amount) override;
};

#endif
