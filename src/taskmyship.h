#ifndef TASKMYSHIP_H
#define TASKMYSHIP_H

#include "screen.h"
#include "taskchara.h"

// The player's ship: flies in blinking, is steered and fires while active, and
// 122 frames after it is destroyed hands over to a new ship.
class taskMyShip : public TaskChara {
public:
    enum State { Entering = 0, Active = 1, Destroyed = 2 };

    // Every ship flies in from the middle of the screen's bottom edge.
    static constexpr PointF kEntryPoint{kScreenWidth / 2.0f, float(kScreenHeight)};

    taskMyShip(const PointF &pos, int tag);

    void oneFrame() override;
    void render(QPainter *painter) override;
    void addDamage(int amount) override;

    int state;
    int renderCount;
    int respawnCount;
};

#endif
