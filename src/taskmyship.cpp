#include "taskmyship.h"

#include <QRect>
#include <QtGlobal>
#include <cstdlib>

#include "counter.h"
#include "joystick.h"
#include "rounding.h"
#include "spritesheet.h"
#include "taskexplode.h"
#include "taskmanager.h"
#include "taskmybullet.h"
#include "texture.h"

namespace {
// Steps per direction code, 1 up and counter-clockwise to 8 up-right.
const PointF kSteps[9] = {
    {0.0f, 0.0f}, {0.0f, -4.0f}, {-2.8f, -2.8f}, {-4.0f, 0.0f}, {-2.8f, 2.8f},
    {0.0f, 4.0f}, {2.8f, 2.8f},  {4.0f, 0.0f},   {2.8f, -2.8f},
};
} // namespace

taskMyShip::taskMyShip(const PointF &pos, int tag)
    : TaskChara(pos, tag, false), state(Entering), renderCount(0), respawnCount(0)
{
    hitWidth = 8;
    hitHeight = 8;
    damage = 0;
    hp = 1;
    attack = 1;
}

void taskMyShip::oneFrame()
{
    switch (state) {
    case Entering:
        if (pos.y <= 352.0f)
            state = Active;
        else
            pos.y -= 2.0f;
        break;
    case Active: {
        const int dir = Joystick::inst()->getDir();
        const PointF step = (dir >= 1 && dir <= 8) ? kSteps[dir] : kSteps[0];
        pos += step;
        if (pos.x < 0.0f)
            pos.x = 0.0f;
        else if (pos.x > float(kScreenWidth))
            pos.x = float(kScreenWidth);
        if (pos.y < 0.0f)
            pos.y = 0.0f;
        else if (pos.y > float(kScreenHeight))
            pos.y = float(kScreenHeight);
        if (Joystick::inst()->isTrigged(0))
            TaskManager::inst()->addMyTask(new taskMyBullet(pos, 0));
        break;
    }
    case Destroyed:
        if (respawnCount <= 120) {
            ++respawnCount;
        } else {
            TaskManager::inst()->addMyTask(new taskMyShip(kEntryPoint, 0));
            dead = true;
        }
        break;
    default:
        qWarning("invalid state");
        break;
    }
    TaskManager::inst()->setMyShipPos(pos);
}

void taskMyShip::render(QPainter *painter)
{
    if (state == Active || (state == Entering && renderCount % 2 == 0)) {
        const QRect &region = SpriteSheet::kPlayerShip;
        Texture::inst()->putSprite(SpriteSheet::name(), painter, roundedPoint(pos),
                                   region.topLeft(), region.size());
    }
    renderCount = nextCount(renderCount);
}

void taskMyShip::addDamage(int amount)
{
    if (state != Active)
        return;
    damage += amount;
    if (damage <= hp)
        return;
    for (int i = 0; i < 8; ++i) {
        const int dx = rand() % 64 - 32;
        const int dy = rand() % 64 - 32;
        TaskManager::inst()->addTask(
            new taskExplode(PointF(pos.x + float(dx), pos.y + float(dy)), 0));
    }
    respawnCount = 0;
    state = Destroyed;
}
