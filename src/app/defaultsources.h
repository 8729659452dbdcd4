#ifndef DEFAULTSOURCES_H
#define DEFAULTSOURCES_H

class Joystick;

// The sources the game reads when it is played: the keyboard and the pointer
// (where there is an application to watch) and the game pads. Installed by the program through
// Joystick::sourceSetup; a replay or a trace installs its script instead.
void addDefaultSources(Joystick &joystick);

#endif
