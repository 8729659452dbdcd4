#include "taskchara.h"

#include "screen.h"

TaskChara::TaskChara(const PointF &pos, int tag, bool isBullet)
    : Task(tag), pos(pos), hitWidth(-1), hitHeight(-1), damage(0), hp(0), attack(0),
      isBullet(isBullet)
{
}

// The keep-alive rectangle runs from (-64, -64) to the screen's bottom-right
// corner, edges included: a margin above and left of the screen but none below
// or to the right.
bool TaskChara::isOutOfScreen() const
{
    return !(pos.x >= -64.0f && pos.x <= float(kScreenWidth) && pos.y >= -64.0f &&
             pos.y <= float(kScreenHeight));
}
