#ifndef TASKMANAGER_H
#define TASKMANAGER_H

#include <QList>

#include "pointf.h"

class QPainter;
class Task;
class TaskChara;

// Owns every task: runs the frame (update, collisions, deletion), draws the
// tasks in the order they were added, and carries the ship's position.
//
// The sides keep insertion order, so a frame never depends on pointer values.
// The passes iterate over the entries present when they start: tasks added
// meanwhile are only appended, so bounding the loop by the starting size is a
// snapshot that copies nothing.
class TaskManager {
public:
    static TaskManager *inst();

    TaskManager();
    virtual ~TaskManager();
    TaskManager(const TaskManager &) = delete;
    TaskManager &operator=(const TaskManager &) = delete;

    void addTask(Task *task);
    void addMyTask(TaskChara *chara);
    void addEnemyTask(TaskChara *chara);
    int getTaskCount() const { return int(tasks.size()); }
    void setMyShipPos(const PointF &pos) { myShipPos = pos; }
    const PointF &getMyShipPos() const { return myShipPos; }

    void oneFrame();
    void render(QPainter *painter);
    // Deletes every task in list order, empties the list and the sides and
    // forgets the ship position: the manager as it was created.
    void clear();

    // The three steps of oneFrame(), public so that they can be timed apart.
    void updatePass();
    void collisionCheck();
    void deletionPass();

    QList<Task *> tasks;
    QList<TaskChara *> enemyTasks;
    QList<TaskChara *> myTasks;
    PointF myShipPos;
};

#endif
