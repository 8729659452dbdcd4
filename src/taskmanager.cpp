#include "taskmanager.h"

#include <algorithm>
#include <cmath>

#include "rounding.h"
#include "task.h"
#include "taskchara.h"

TaskManager *TaskManager::inst()
{
    static TaskManager obj;
    return &obj;
}

TaskManager::TaskManager() = default;

TaskManager::~TaskManager()
{
    clear();
}

void TaskManager::clear()
{
    for (Task *task : std::as_const(tasks))
        delete task;
    tasks.clear();
    enemyTasks.clear();
    myTasks.clear();
    myShipPos = PointF();
}

void TaskManager::addTask(Task *task)
{
    tasks.append(task);
}

void TaskManager::addMyTask(TaskChara *chara)
{
    myTasks.append(chara);
    tasks.append(chara);
}

void TaskManager::addEnemyTask(TaskChara *chara)
{
    enemyTasks.append(chara);
    tasks.append(chara);
}

void TaskManager::oneFrame()
{
    updatePass();
    collisionCheck();
    deletionPass();
}

void TaskManager::render(QPainter *painter)
{
    const qsizetype count = tasks.size();
    for (qsizetype i = 0; i < count; ++i)
        tasks.at(i)->render(painter);
}

void TaskManager::updatePass()
{
    // Tasks added during the pass are appended and first run next frame.
    const qsizetype count = tasks.size();
    for (qsizetype i = 0; i < count; ++i)
        tasks.at(i)->oneFrame();
}

void TaskManager::collisionCheck()
{
    // Only enemies can be added during the check (a split); each player-side
    // character meets those added before its own inner loop starts.
    const qsizetype myCount = myTasks.size();
    for (qsizetype i = 0; i < myCount; ++i) {
        TaskChara *a = myTasks.at(i);
        const qsizetype enemyCount = enemyTasks.size();
        for (qsizetype j = 0; j < enemyCount; ++j) {
            TaskChara *b = enemyTasks.at(j);
            if (a->isBullet && b->isBullet)
                continue;
            const int hw = roundHalfUp(float(a->hitWidth + b->hitWidth) / 2.0f);
            const int hh = roundHalfUp(float(a->hitHeight + b->hitHeight) / 2.0f);
            const float dx = std::abs(b->pos.x - a->pos.x);
            const float dy = std::abs(b->pos.y - a->pos.y);
            if (float(hw) >= dx && float(hh) >= dy) {
                b->addDamage(a->attack);
                a->addDamage(b->attack);
            }
        }
    }
}

namespace {
// Keeps the entries that are not dead, in order, in one linear pass.
template <typename T> void dropDead(QList<T *> &list)
{
    list.erase(std::remove_if(list.begin(), list.end(), [](const T *t) { return t->dead; }),
               list.end());
}
} // namespace

void TaskManager::deletionPass()
{
    // Sides first, while the pointers are still valid; then delete in list order
    // and close the gaps, keeping the survivors' order.
    dropDead(enemyTasks);
    dropDead(myTasks);
    qsizetype kept = 0;
    for (qsizetype i = 0; i < tasks.size(); ++i) {
        Task *task = tasks.at(i);
        if (task->dead) {
            delete task;
            continue;
        }
        if (kept != i)
            tasks[kept] = task;
        ++kept;
    }
    tasks.erase(tasks.begin() + kept, tasks.end());
}
