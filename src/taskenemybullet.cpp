#include "taskenemybullet.h"

#include <QSize>

#include "rounding.h"
#include "texture.h"

taskEnemyBullet::taskEnemyBullet(const PointF &pos, int tag, const PointF &velocity,
                                 const PointF &acceleration)
    : TaskChara(pos, tag, true), velocity(velocity), acceleration(acceleration), animFrame(0)
{
    hitWidth = 12;
    hitHeight = 12;
    damage = 0;
    hp = 1;
    attack = 1;
}

void taskEnemyBullet::oneFrame()
{
    // The move uses the velocity from before this frame's acceleration.
    pos += velocity;
    velocity += acceleration;
    if (isOutOfScreen())
        dead = true;
    animFrame = animFrame + 1 > 3 ? 0 : animFrame + 1;
}

void taskEnemyBullet::render(QPainter *painter)
{
    Texture::inst()->putSprite(QStringLiteral("MAIN"), painter, roundedPoint(pos),
                               QPoint(animFrame * 16, 64), QSize(16, 16));
}

void taskEnemyBullet::addDamage(int amount)
{
    damage += amount;
    if (damage > hp)
        dead = true;
}
