#include "taskexplode.h"

#include <QRect>

#include "rounding.h"
#include "spritesheet.h"
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
    // Cell 4 marks the frame it dies in, and the manager deletes it before
    // the repaint: the sheet has no such cell.
    if (animFrame < 0 || animFrame >= SpriteSheet::kCells)
        return;
    const QRect &region = SpriteSheet::kExplosion[animFrame];
    Texture::inst()->putSprite(SpriteSheet::name(), painter, roundedPoint(pos), region.topLeft(),
                               region.size());
}
