#ifndef JOYSTICKDEVICE_H
#define JOYSTICKDEVICE_H

#include <QString>
#include <cstddef>
#include <functional>

#include "joystick.h"

struct js_event;

// A Linux joystick device (/dev/input/js0) as an input source: the first stick
// steers, buttons 0 and 1 are the triggers. It is read without blocking; a
// device that goes away is dropped quietly and looked for again once a second;
// one that is there but may not be read is reported once.
class JoystickDevice : public InputSource {
public:
    explicit JoystickDevice(const QString &path, int retryIntervalMs = 1000);
    ~JoystickDevice() override;
    JoystickDevice(const JoystickDevice &) = delete;
    JoystickDevice &operator=(const JoystickDevice &) = delete;

    // Drains the device's pending events, then adds what it holds.
    void poll(InputState &state) override;

    bool isOpen() const { return fd >= 0; }

    // Tells on stderr that the pad at `path` is there but may not be read, and
    // how to mend that, when opening it for reading fails for lack of
    // permission; says nothing when it is missing or readable. For builds that
    // read pads another way but whose pads the user may not read all the same.
    static void checkAccess(const QString &path);
    void close();

    // Applies one event record to what the device holds; unknown axes, buttons
    // and types are ignored.
    static void applyEvent(const js_event &event, InputState &held);

    // Applies the event records in bytes read from the device. A record split
    // across reads (a FIFO written in pieces) is kept until its end arrives, so
    // the stream stays aligned on records.
    void feed(const char *bytes, std::size_t size);

    QString path;
    int retryIntervalMs;
    // Milliseconds on a monotonic clock; tests replace it to skip the wait.
    std::function<qint64()> now;
    int fd = -1;
    bool triedOpen = false;
    qint64 lastAttemptMs = 0;
    // Whether the user was told that the device may not be read.
    bool warnedNoAccess = false;
    InputState held;
    // The start of a record whose end has not been read yet.
    char partial[8];
    int partialSize = 0;

private:
    // One warning, and true, when `error` says the pad may not be read.
    static bool warnIfNoAccess(const QString &path, int error);
    void tryOpen();
    void drain();
};

#endif
