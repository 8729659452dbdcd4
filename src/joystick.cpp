#include "joystick.h"

#include <algorithm>

InputSource::~InputSource() = default;

std::function<void(Joystick &)> Joystick::sourceSetup;

Joystick *Joystick::inst()
{
    static Joystick obj;
    return &obj;
}

Joystick::Joystick() : dir(0)
{
    triggers.resize(2);
    if (sourceSetup)
        sourceSetup(*this);
}

Joystick::~Joystick()
{
    clearSources();
}

void Joystick::pool()
{
    if (sources.isEmpty())
        return;
    InputState state;
    for (InputSource *source : std::as_const(sources))
        source->poll(state);
    dir = directionCode(state.x, state.y);
    triggers[0] = state.triggers[0];
    triggers[1] = state.triggers[1];
}

bool Joystick::isTrigged(int index) const
{
    return index >= 0 && index < triggers.size() && triggers.at(index);
}

void Joystick::addSource(InputSource *source)
{
    sources.append(source);
}

void Joystick::clearSources()
{
    qDeleteAll(sources);
    sources.clear();
}

void Joystick::reset()
{
    clearSources();
    dir = 0;
    triggers.fill(false);
}

void Joystick::release()
{
    for (InputSource *source : std::as_const(sources))
        source->release();
    dir = 0;
    triggers.fill(false);
}

void Joystick::pollControls()
{
    for (InputSource *source : std::as_const(sources))
        source->pollControls();
}

int Joystick::directionCode(int x, int y)
{
    // Indexed by [y + 1][x + 1]: up row, middle row, down row.
    static const int codes[3][3] = {{2, 1, 8}, {3, 0, 7}, {4, 5, 6}};
    return codes[std::clamp(y, -1, 1) + 1][std::clamp(x, -1, 1) + 1];
}
