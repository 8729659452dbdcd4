#ifndef JOYSTICK_H
#define JOYSTICK_H

#include <QVector>

// The input state the ship reads each frame: a direction code (0 none, 1 up,
// then counter-clockwise to 8 up-right) and two triggers (0 fires).
class Joystick {
public:
    static Joystick *inst();

    Joystick();
    ~Joystick();
    Joystick(const Joystick &) = delete;
    Joystick &operator=(const Joystick &) = delete;

    // Refreshes the state from the input sources, once at the start of a frame.
    void pool();
    int getDir() const { return dir; }
    bool isTrigged(int index) const;

    int dir;
    QVector<bool> triggers;
};

#endif
