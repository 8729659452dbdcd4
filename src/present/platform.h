#ifndef PLATFORM_H
#define PLATFORM_H

#include <QString>

// What the game knows of the Qt platform it runs on: whether there is a window
// system around it, and who reads the keyboard and the pads.
struct Platform {
    // No window system (the board): the game always covers the screen.
    bool coversWholeScreen = false;
    // Qt reads the input devices (/dev/input/event*) itself; elsewhere keys
    // come from a display server or a VNC client.
    bool readsInputDevices = false;

    // The platform of that name (QGuiApplication::platformName()); a desktop
    // one for any name not in the table.
    static Platform named(const QString &name);
};

#endif
