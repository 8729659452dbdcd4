#ifndef JOYSTICK_H
#define JOYSTICK_H

#include <QList>
#include <QVector>
#include <functional>

// What the input sources hold in one frame. Axes add up across sources and are
// then clamped, so opposite directions cancel; a trigger is pressed when any
// source presses it.
struct InputState {
    int x = 0; // -1 left, 1 right
    int y = 0; // -1 up, 1 down
    bool triggers[2] = {false, false};
};

// Something that can steer the ship: the keyboard, a joystick device, a script.
class InputSource {
public:
    virtual ~InputSource();
    // Called once at the start of every frame; adds what the source holds now.
    virtual void poll(InputState &state) = 0;
    // Counts everything held now as released until it is let go and pressed
    // again (the game was paused); a script, which holds nothing, keeps its steps.
    virtual void release() {}
    // Between frames while no frame runs (paused): reads what does not steer
    // the ship, such as a pad's Start and Back.
    virtual void pollControls() {}

    // Stick travel, out of 32767, that still counts as centred. A quarter of the
    // way: worn analogue sticks rest a few thousand off zero and must not drift
    // the ship, while digital pads jump straight to the end.
    static constexpr int kDeadZone = 8192;
    // -1, 0 or 1 for a stick axis at `value` (-32767 to 32767), past the dead zone.
    static int axisDirection(int value)
    {
        return value > kDeadZone ? 1 : value < -kDeadZone ? -1 : 0;
    }
};

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
    // With no source, or none pressing anything, the state is direction 0 with
    // both triggers released.
    void pool();
    int getDir() const { return dir; }
    bool isTrigged(int index) const;

    // When set, the constructor calls it to add the input sources: the program
    // adds the keyboard and the pads, a replay its script alone. Unset, no
    // source feeds the state. The joystick still comes into being on the first
    // frame tick, as it always has.
    static std::function<void(Joystick &)> sourceSetup;

    // The joystick owns its sources.
    void addSource(InputSource *source);
    void clearSources();
    // Drops the sources and releases every input: direction 0, no trigger held.
    void reset();
    // Every source releases what it holds (InputSource::release()), and the
    // state is direction 0 with no trigger held.
    void release();
    // InputSource::pollControls() of every source.
    void pollControls();

    // The direction code of the axes (each clamped to -1..1).
    static int directionCode(int x, int y);

    int dir;
    QVector<bool> triggers;
    QList<InputSource *> sources;
};

#endif
