#ifndef EVENTSPOTTER_H
#define EVENTSPOTTER_H

#include <vector>

class Task;

// Reads a frame's sound events off the task manager's list after the frame:
// the game's logic knows nothing of sound, so a new shot in the list is a shot
// fired, a new explosion an explosion, and so on.
class EventSpotter {
public:
    // The tasks in the list now are old: only what later frames add counts.
    EventSpotter();

    // After every frame (and only then): the events of the frame just run.
    unsigned frameDone();

private:
    void remember();

    std::vector<const Task *> previous;
};

#endif
