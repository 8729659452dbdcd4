#include "taskenemy2.h"

#include <QRect>
#include <cmath>
#include <cstdlib>

#include "rounding.h"
#include "spritesheet.h"
#include "taskexplode.h"
#include "taskmanager.h"
#include "texture.h"

taskEnemy2::taskEnemy2(const PointF &pos, int tag, const PointF &velocity, int kind)
    : TaskChara(pos, tag, false), velocity(velocity), kind(kind)
{
    const bool large = kind == 0;
    hitWidth = large ? 80 : 48;
    hitHeight = 48;
    damage = 0;
    hp = large ? 100 : 40;
    attack = 1;
}

void taskEnemy2::oneFrame()
{
    pos += velocity;
    if (isOutOfScreen())
        dead = true;
}

void taskEnemy2::render(QPainter *painter)
{
    const QRect &region = kind == 0 ? SpriteSheet::kLargeEnemy : SpriteSheet::kSmallEnemy;
    Texture::inst()->putSprite(SpriteSheet::name(), painter, roundedPoint(pos), region.topLeft(),
                               region.size());
}

void taskEnemy2::addDamage(int amount)
{
    damage += amount;
    if (damage <= hp)
        return;
    TaskManager *manager = TaskManager::inst();
    if (kind != 0) {
        manager->addTask(new taskExplode(pos, 0));
        dead = true;
        return;
    }
    for (int i = 0; i < 8; ++i) {
        const int dx = rand() % 64 - 32;
        const int dy = rand() % 64 - 32;
        manager->addTask(new taskExplode(PointF(pos.x + float(dx), pos.y + float(dy)), 0));
    }
    for (int i = 0; i < 2; ++i) {
        const int degrees = rand() % 360;
        const int speed = rand() % 4 + 1;
        // Slightly less than pi / 180: the game's own constant.
        const double angle = double(degrees) * (3.14159 / 180);
        const PointF velocity(float(std::cos(angle) * double(speed)),
                              float(std::sin(angle) * double(speed)));
        manager->addEnemyTask(new taskEnemy2(pos, 0, velocity, 1));
    }
    dead = true;
}
