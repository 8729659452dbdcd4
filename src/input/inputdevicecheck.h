#ifndef INPUTDEVICECHECK_H
#define INPUTDEVICECHECK_H

#include <QString>

// On the board the keyboard and the pads reach the game through the input
// devices (/dev/input/event*), read by Qt's platform plugin; this looks once at
// start-up whether any can be read, and warns when none can, saying why.
class InputDeviceCheck {
public:
    enum class Outcome { Readable, NoDevices, NoPermission, Unreadable };
    struct Result {
        Outcome outcome = Outcome::NoDevices;
        QString error; // why the first device could not be opened
    };

    // Tries to open each event* in `directory` for reading.
    static Result probe(const QString &directory);
    // The warning for a result; empty when a device can be read.
    static QString warning(const Result &result, const QString &directory);

    // Whether the platform reads keys from the input devices itself (linuxfb,
    // eglfs). On the others keys come from a display server or a VNC client.
    static bool platformReadsInputDevices(const QString &platformName);

    // On such a platform, probes `directory` and warns if nothing can be read.
    static void warnIfUnreadable(const QString &platformName,
                                 const QString &directory = QStringLiteral("/dev/input"));
};

#endif
