#include "taskmain.h"

#include <cstdlib>

#include "counter.h"
#include "screen.h"
#include "spritesheet.h"
#include "taskbg.h"
#include "taskenemy1.h"
#include "taskenemy2.h"
#include "taskmanager.h"
#include "taskmyship.h"
#include "texture.h"

taskMain::taskMain() : Task(0), counter(0)
{
    Texture::inst()->loadTexture(SpriteSheet::name(), SpriteSheet::path(), SpriteSheet::kSize);
    TaskManager::inst()->addTask(new taskBG(0));
    TaskManager::inst()->addMyTask(new taskMyShip(taskMyShip::kEntryPoint, 0));
}

void taskMain::oneFrame()
{
    const int n = counter;
    if (n % 10 == 0) {
        const int x = rand() % kScreenWidth;
        TaskManager::inst()->addEnemyTask(
            new taskEnemy1(PointF(float(x), -16.0f), 0, PointF(0.0f, 2.0f)));
    }
    if (n % 20 == 0) {
        const int x = rand() % kScreenWidth;
        const int vx = rand() % 4 - 2;
        const int vy = rand() % 2 + 1;
        TaskManager::inst()->addEnemyTask(
            new taskEnemy2(PointF(float(x), -16.0f), 0, PointF(float(vx), float(vy)), 0));
    }
    counter = nextCount(n);
}

void taskMain::render(QPainter *) {}
