#include "taskexplode.h"

#include <QSize>

#include "rounding.h"
#include "texture.h"

taskExplode::taskExplode(const PointF &pos, int tag)
    : Task(tag), pos(pos), animWait(0), animFrame(0)
{
}

void taskExplode::oneFrame()
{
    ++animWait;
    if (animWait <= 2)
        return;
    animWait = 0;
    ++animFrame;
    if (animFrame > 3)
        dead = true;
}

void taskExplode::render(QPainter *painter)
{
    Texture::inst()->putSprite(QStringLiteral("MAIN"), painter, roundedPoint(pos),
                               QPoint((animFrame + 2) * 32, 64), QSize(32, 32));
}
