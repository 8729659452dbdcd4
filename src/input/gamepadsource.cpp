#include "input/gamepadsource.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <SDL.h>
#include <algorithm>

#include "input/joystickdevice.h"

namespace {
// The bits of a pad's inputs, for the ones held through a pause.
constexpr unsigned kLeft = 1;
constexpr unsigned kRight = 2;
constexpr unsigned kUp = 4;
constexpr unsigned kDown = 8;
constexpr unsigned kFire = 16;
constexpr unsigned kSecond = 32;

bool held(SDL_GameController *controller, SDL_GameControllerButton button)
{
    return SDL_GameControllerGetButton(controller, button) != 0;
}
} // namespace

GamePadSource::GamePadSource() : quit([] { QCoreApplication::quit(); })
{
    // The window is Qt's, so SDL never has the focus: without this it would
    // ignore the pads as if the game were in the background.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // Signals are the game's to handle; SDL's handlers would turn Ctrl+C into
    // an SDL quit event that nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Game controllers alone (with the joystick and event subsystems they
    // need): no video, no window. Starting them loads SDL's built-in mappings
    // and the user's from SDL_GAMECONTROLLERCONFIG and the file named by
    // SDL_GAMECONTROLLERCONFIG_FILE; SDL reads both variables itself.
    started = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    if (!started)
        qWarning("Game pads are not read: SDL could not start (%s)", SDL_GetError());
}

GamePadSource::~GamePadSource()
{
    for (Pad &pad : pads)
        closePad(pad);
    pads.clear();
    if (started)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    // What SDL keeps beyond its subsystems (hints, the event queue) goes once
    // nobody in the process uses SDL any more.
    if (SDL_WasInit(0) == 0)
        SDL_Quit();
}

int GamePadSource::mappedPadCount() const
{
    return int(std::count_if(pads.cbegin(), pads.cend(),
                             [](const Pad &pad) { return pad.controller != nullptr; }));
}

void GamePadSource::poll(InputState &state)
{
    controls(&state);
}

void GamePadSource::pollControls()
{
    controls(nullptr);
}

void GamePadSource::release()
{
    for (Pad &pad : pads)
        pad.letGo = kLeft | kRight | kUp | kDown | kFire | kSecond;
}

void GamePadSource::controls(InputState *state)
{
    if (!started)
        return;
    takeEvents();
    if (devicesChanged)
        updatePads();
    bool quitPressed = false;
    bool pausePressed = false;
    for (Pad &pad : pads)
        addPad(pad, state, quitPressed, pausePressed);
    if (quitPressed && quit)
        quit();
    else if (pausePressed && togglePause)
        togglePause();
}

void GamePadSource::readControls(Pad &pad, bool start, bool back, bool &quitPressed,
                                 bool &pausePressed)
{
    // Once per press: holding both on for several frames quits once.
    const bool quitHeld = start && back;
    if (quitHeld && !pad.quitHeld)
        quitPressed = true;
    pad.quitHeld = quitHeld;
    if (start)
        pad.backDuringStart = (pad.startHeld && pad.backDuringStart) || back;
    else if (pad.startHeld && !pad.backDuringStart)
        pausePressed = true;
    pad.startHeld = start;
}

void GamePadSource::takeEvents()
{
    SDL_PumpEvents();
    // Only arrivals and departures matter here: buttons and axes are read from
    // SDL's state of each pad, so the rest of the queue is dropped.
    SDL_Event events[64];
    int count;
    while ((count = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0) {
        for (int i = 0; i < count; ++i) {
            switch (events[i].type) {
            case SDL_JOYDEVICEADDED:
            case SDL_JOYDEVICEREMOVED:
            case SDL_CONTROLLERDEVICEADDED:
            case SDL_CONTROLLERDEVICEREMOVED:
                devicesChanged = true;
                break;
            default:
                break;
            }
        }
    }
}

void GamePadSource::updatePads()
{
    devicesChanged = false;
    // Pads pulled out: SDL keeps their last state, so they must go at once.
    for (qsizetype i = pads.size() - 1; i >= 0; --i) {
        if (!SDL_JoystickGetAttached(pads[i].joystick)) {
            closePad(pads[i]);
            pads.removeAt(i);
        }
    }
    // Pads plugged in.
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index) {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        if (id < 0 || std::any_of(pads.cbegin(), pads.cend(),
                                  [id](const Pad &pad) { return pad.instanceId == id; }))
            continue;
        Pad pad;
        pad.instanceId = id;
        if (SDL_IsGameController(index))
            pad.controller = SDL_GameControllerOpen(index);
        if (pad.controller)
            pad.joystick = SDL_GameControllerGetJoystick(pad.controller);
        else
            pad.joystick = SDL_JoystickOpen(index);
        // A pad that cannot be opened (no permission) is tried again when
        // the next pad comes or goes, not on every frame.
        if (pad.joystick)
            pads.append(pad);
    }
}

void GamePadSource::closePad(Pad &pad)
{
    if (pad.controller)
        SDL_GameControllerClose(pad.controller);
    else if (pad.joystick)
        SDL_JoystickClose(pad.joystick);
    pad.controller = nullptr;
    pad.joystick = nullptr;
}

void GamePadSource::addPad(Pad &pad, InputState *state, bool &quitPressed, bool &pausePressed)
{
    int x = 0;
    int y = 0;
    bool fire = false;
    bool second = false;
    // Sticks count past the joystick device's dead zone, a quarter of their
    // travel: a worn stick resting off centre must not drift the ship.
    if (SDL_GameController *c = pad.controller) {
        readControls(pad, held(c, SDL_CONTROLLER_BUTTON_START), held(c, SDL_CONTROLLER_BUTTON_BACK),
                     quitPressed, pausePressed);
        if (!state)
            return;
        x = int(held(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) -
            int(held(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) +
            InputSource::axisDirection(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX));
        y = int(held(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) -
            int(held(c, SDL_CONTROLLER_BUTTON_DPAD_UP)) +
            InputSource::axisDirection(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
        fire = held(c, SDL_CONTROLLER_BUTTON_A);
        second = held(c, SDL_CONTROLLER_BUTTON_B);
    } else if (state) {
        // As the joystick device reads a pad: the first stick, buttons 0 and 1.
        x = InputSource::axisDirection(SDL_JoystickGetAxis(pad.joystick, 0));
        y = InputSource::axisDirection(SDL_JoystickGetAxis(pad.joystick, 1));
        fire = SDL_JoystickGetButton(pad.joystick, 0) != 0;
        second = SDL_JoystickGetButton(pad.joystick, 1) != 0;
    }
    if (state)
        addHeld(pad, *state, x, y, fire, second);
}

void GamePadSource::addHeld(Pad &pad, InputState &state, int x, int y, bool fire, bool second)
{
    // One pad is one unit on each axis, as a source is: its d-pad and stick
    // pointing the same way still make one step, and opposite ones cancel.
    x = std::clamp(x, -1, 1);
    y = std::clamp(y, -1, 1);
    const unsigned held = (x < 0 ? kLeft : 0) | (x > 0 ? kRight : 0) | (y < 0 ? kUp : 0) |
                          (y > 0 ? kDown : 0) | (fire ? kFire : 0) | (second ? kSecond : 0);
    // Held since the pause: counts once let go.
    pad.letGo &= held;
    const unsigned counted = held & ~pad.letGo;
    state.x += int((counted & kRight) != 0) - int((counted & kLeft) != 0);
    state.y += int((counted & kDown) != 0) - int((counted & kUp) != 0);
    state.triggers[0] = state.triggers[0] || (counted & kFire) != 0;
    state.triggers[1] = state.triggers[1] || (counted & kSecond) != 0;
}
