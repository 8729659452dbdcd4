#include "taskmybullet.h"

#include <QRect>

#include "rounding.h"
#include "spritesheet.h"
#include "texture.h"

taskMyBullet::taskMyBullet(const PointF &pos, int tag) : TaskChara(pos, tag, true)
{
    hitWidth = 32;
    hitHeight = 16;
    damage = 0;
    hp = 1;
    attack = 1;
}

void taskMyBullet::oneFrame()
{
    pos.y -= 16.0f;
    if (isOutOfScreen())
        dead = true;
}

void taskMyBullet::render(QPainter *painter)
{
    const QRect &region = SpriteSheet::kPlayerShot;
    Texture::inst()->putSprite(SpriteSheet::name(), painter, roundedPoint(pos), region.topLeft(),
                               region.size());
}

void taskMyBullet::addDamage(int amount)
{
    damage += amount;
    if (damage > hp)
        dead = true;
}
