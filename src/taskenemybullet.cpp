#include "taskenemybullet.h"

#include <QRect>

#include "rounding.h"
#include "spritesheet.h"
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
    const QRect &region = SpriteSheet::kEnemyBullet[animFrame];
    Texture::inst()->putSprite(SpriteSheet::name(), painter, roundedPoint(pos), region.topLeft(),
                               region.size());
}

void taskEnemyBullet::addDamage(int amount)
{
    damage += amount;
    if (damage > hp)
        dead = true;
}
