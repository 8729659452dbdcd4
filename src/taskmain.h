#ifndef TASKMAIN_H
#define TASKMAIN_H

#include "task.h"

// The scene director: loads the sprite sheet, adds the starfield and the first
// ship, then launches an aiming enemy every 10 frames and a large one every 20.
class taskMain : public Task {
public:
    taskMain();

    void oneFrame() override;
    void render(QPainter *painter) override;

    int counter;
};

#endif
