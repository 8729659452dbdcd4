#ifndef GAMEPADSOURCE_H
#define GAMEPADSOURCE_H

#include <QList>
#include <SDL_gamecontroller.h>
#include <SDL_joystick.h>
#include <functional>

#include "joystick.h"

// Every game pad plugged in, read through SDL's game-controller layer: the
// d-pad or the left stick steers, South (A, cross) fires, East (B, circle) is
// the second trigger, Start with Back quits and Start alone pauses. Pads come
// and go while the game runs; a pad SDL has no mapping for is read as a plain
// joystick.
class GamePadSource : public InputSource {
public:
    // Starts SDL's game-controller subsystem (no video, no window); a source
    // whose SDL failed to start reads nothing.
    GamePadSource();
    ~GamePadSource() override;
    GamePadSource(const GamePadSource &) = delete;
    GamePadSource &operator=(const GamePadSource &) = delete;

    // Takes SDL's pending events (pads added and removed), then adds what
    // every pad holds now.
    void poll(InputState &state) override;
    // What every pad holds now counts as released until let go.
    void release() override;
    // Pads come and go, and Start and Back are read, as in poll().
    void pollControls() override;

    bool isStarted() const { return started; }
    int padCount() const { return int(pads.size()); }
    int mappedPadCount() const;

    // Called once each time a pad's Start and Back become held together;
    // QCoreApplication::quit() unless replaced.
    std::function<void()> quit;
    // Called once each time a pad's Start is let go after a press during
    // which Back was never held; nothing unless set.
    std::function<void()> togglePause;

    // What one pad holds, from SDL's state of it.
    struct Pad {
        SDL_JoystickID instanceId = -1;
        SDL_GameController *controller = nullptr; // null for a pad SDL cannot map
        SDL_Joystick *joystick = nullptr;
        bool quitHeld = false;
        bool startHeld = false;
        bool backDuringStart = false; // Back held at some time during this press of Start
        unsigned letGo = 0;           // the inputs that count once let go, a bit each
    };

    // What a pad's Start and Back do, read now as held or not: quitPressed
    // when both become held, pausePressed when Start is let go after a press
    // that saw no Back.
    static void readControls(Pad &pad, bool start, bool back, bool &quitPressed,
                             bool &pausePressed);

private:
    void takeEvents();
    void updatePads();
    void controls(InputState *state);
    static void closePad(Pad &pad);
    static void addPad(Pad &pad, InputState *state, bool &quitPressed, bool &pausePressed);
    static void addHeld(Pad &pad, InputState &state, int x, int y, bool fire, bool second);

    bool started = false;
    bool devicesChanged = true;
    QList<Pad> pads;
};

#endif
