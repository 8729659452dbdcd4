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

    // Where Qt reads the keys from the input devices itself (the program knows
    // which platforms do), probes `directory` and warns if nothing can be read.
    static void warnIfUnreadable(bool platformReadsInputDevices,
                                 const QString &directory = QStringLiteral("/dev/input"));
};

#endif
