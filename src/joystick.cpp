#include "joystick.h"

Joystick *Joystick::inst()
{
    static Joystick obj;
    return &obj;
}

Joystick::Joystick() : dir(0)
{
    triggers.resize(2);
}

Joystick::~Joystick() = default;

void Joystick::pool() {}

bool Joystick::isTrigged(int index) const
{
    return index >= 0 && index < triggers.size() && triggers.at(index);
}
