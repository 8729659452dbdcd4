#ifndef TASK_H
#define TASK_H

class QPainter;

// A game object: updated once a frame and drawn once a repaint, owned by the
// task manager from the moment it is added.
class Task {
public:
    explicit Task(int tag);
    virtual ~Task();

    virtual void oneFrame() = 0;
    virtual void render(QPainter *painter) = 0;

    int tag;
    bool dead;
};

#endif
