#include "sound/eventspotter.h"

#include "sound/soundevents.h"
#include "taskenemy2.h"
#include "taskenemybullet.h"
#include "taskexplode.h"
#include "taskmanager.h"
#include "taskmybullet.h"
#include "taskmyship.h"

EventSpotter::EventSpotter()
{
    remember();
}

void EventSpotter::remember()
{
    const QList<Task *> &tasks = TaskManager::inst()->tasks;
    previous.assign(tasks.cbegin(), tasks.cend());
}

namespace {

// What a task that is new in this frame says: its kind.
unsigned newTaskEvents(const Task *task)
{
    if (dynamic_cast<const taskMyBullet *>(task))
        return SoundEvents::Shot;
    if (dynamic_cast<const taskEnemyBullet *>(task))
        return SoundEvents::EnemyShot;
    if (dynamic_cast<const taskExplode *>(task))
        return SoundEvents::Explosion;
    if (const auto *enemy = dynamic_cast<const taskEnemy2 *>(task))
        return enemy->kind != 0 ? unsigned(SoundEvents::Split) : 0u;
    return 0;
}

// What any task in the list says: a ship destroyed in this frame, since a
// destroyed ship counts its frames from the one after its destruction.
unsigned listedTaskEvents(const Task *task)
{
    const auto *ship = dynamic_cast<const taskMyShip *>(task);
    return ship && ship->state == taskMyShip::Destroyed && ship->respawnCount == 0
               ? unsigned(SoundEvents::ShipDestroyed)
               : 0u;
}

} // namespace

// Telling the new tasks from the old: the deletion pass keeps the survivors in
// their order and tasks are only ever appended, so the list after a frame is
// the survivors of the previous list, in order, then the tasks added in the
// frame. Comparing pointers is sound because within a frame every task is
// added (update pass, collisions) before any is deleted (deletion pass), so a
// new task never gets the address of one that was in the previous list.
// A task that died in the frame that made it (a shot whose first collision
// check met two enemies) is gone from the list: its sound is not played.
unsigned EventSpotter::frameDone()
{
    const QList<Task *> &tasks = TaskManager::inst()->tasks;
    unsigned events = 0;
    size_t old = 0;
    for (const Task *task : tasks) {
        while (old < previous.size() && previous[old] != task)
            ++old;
        if (old < previous.size())
            ++old;
        else
            events |= newTaskEvents(task);
        events |= listedTaskEvents(task);
    }
    remember();
    return events;
}
