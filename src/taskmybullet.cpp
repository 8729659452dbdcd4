#include "taskmybullet.h"

#include <QSize>

#include "rounding.h"
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
    Texture::inst()->putSprite(QStringLiteral("MAIN"), painter, roundedPoint(pos), QPoint(0, 0),
                               QSize(32, 32));
}

void taskMyBullet::addDamage(int amount)
{
    damage += amount;
    if (damage > hp)
        dead = true;
}
