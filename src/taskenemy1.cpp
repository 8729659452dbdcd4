#include "taskenemy1.h"

#include <QRect>
#include <cmath>

#include "counter.h"
#include "rounding.h"
#include "spritesheet.h"
#include "taskenemybullet.h"
#include "taskexplode.h"
#include "taskmanager.h"
#include "texture.h"

taskEnemy1::taskEnemy1(const PointF &pos, int tag, const PointF &velocity)
    : TaskChara(pos, tag, false), fireCounter(0), velocity(velocity)
{
    hitWidth = 20;
    hitHeight = 20;
    damage = 0;
    hp = 1;
    attack = 1;
}

void taskEnemy1::oneFrame()
{
    pos += velocity;
    if (isOutOfScreen())
        dead = true;
    if (fireCounter % 60 == 0) {
        const PointF ship = TaskManager::inst()->getMyShipPos();
        const float dy = ship.y - pos.y;
        const float dx = ship.x - pos.x;
        const double angle = std::atan2(double(dy), double(dx));
        const PointF aim(float(std::cos(angle)), float(std::sin(angle)));
        TaskManager::inst()->addEnemyTask(new taskEnemyBullet(pos, 0, aim, PointF(0.0f, 0.0f)));
    }
    fireCounter = nextCount(fireCounter);
}

void taskEnemy1::render(QPainter *painter)
{
    const QRect &region = SpriteSheet::kAimingEnemy;
    Texture::inst()->putSprite(SpriteSheet::name(), painter, roundedPoint(pos), region.topLeft(),
                               region.size());
}

void taskEnemy1::addDamage(int amount)
{
    damage += amount;
    if (damage > hp) {
        TaskManager::inst()->addTask(new taskExplode(pos, 0));
        dead = true;
    }
}
