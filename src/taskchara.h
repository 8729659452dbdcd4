#ifndef TASKCHARA_H
#define TASKCHARA_H

#include "pointf.h"
#include "task.h"

// A task that collides: a position, a hit box centred on it and damage bookkeeping.
class TaskChara : public Task {
public:
    TaskChara(const PointF &pos, int tag, bool isBullet);

    virtual void addDamage(int amount) = 0;
    bool isOutOfScreen() const;

    PointF pos;
    int hitWidth;
    int hitHeight;
    int damage;
    int hp;
    int attack;
    bool isBullet;
};

#endif
