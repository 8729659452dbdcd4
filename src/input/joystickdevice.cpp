#include "input/joystickdevice.h"

#include <QFile>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/joystick.h>
#include <unistd.h>

static_assert(sizeof(js_event) == sizeof(JoystickDevice::partial), "one record");

namespace {
// Reads per frame at most: a device that floods events is read on in the next
// frame rather than stalling this one.
const int kMaxReadsPerPoll = 16;

qint64 monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

JoystickDevice::JoystickDevice(const QString &path, int retryIntervalMs)
    : path(path), retryIntervalMs(retryIntervalMs), now(monotonicMs)
{
}

JoystickDevice::~JoystickDevice()
{
    close();
}

void JoystickDevice::applyEvent(const js_event &event, InputState &held)
{
    // The initial state arrives flagged JS_EVENT_INIT and counts like any event.
    switch (event.type & ~JS_EVENT_INIT) {
    case JS_EVENT_AXIS:
        if (event.number == 0)
            held.x = axisDirection(event.value);
        else if (event.number == 1)
            held.y = axisDirection(event.value);
        break;
    case JS_EVENT_BUTTON:
        if (event.number < 2)
            held.triggers[event.number] = event.value != 0;
        break;
    default:
        break;
    }
}

void JoystickDevice::poll(InputState &state)
{
    if (fd < 0 && (!triedOpen || now() - lastAttemptMs >= retryIntervalMs))
        tryOpen();
    if (fd >= 0)
        drain();
    state.x += held.x;
    state.y += held.y;
    state.triggers[0] = state.triggers[0] || held.triggers[0];
    state.triggers[1] = state.triggers[1] || held.triggers[1];
}

void JoystickDevice::tryOpen()
{
    triedOpen = true;
    lastAttemptMs = now();
    fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    // A pad that is there but may not be read is a setup mistake the user can
    // mend, so it is told once; a missing pad is the usual case and stays quiet.
    const int error = errno;
    if (fd < 0 && !warnedNoAccess)
        warnedNoAccess = warnIfNoAccess(path, error);
}

bool JoystickDevice::warnIfNoAccess(const QString &path, int error)
{
    if (error != EACCES && error != EPERM)
        return false;
    qWarning("Game pad \"%s\" cannot be opened: %s; add the user to the \"input\" group "
             "(usermod -aG input USER, then log in again).",
             qPrintable(path), std::strerror(error));
    return true;
}

void JoystickDevice::checkAccess(const QString &path)
{
    const int probe =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (probe >= 0) {
        ::close(probe);
        return;
    }
    warnIfNoAccess(path, errno);
}

void JoystickDevice::feed(const char *bytes, std::size_t size)
{
    if (size == 0)
        return;
    js_event event;
    if (partialSize > 0) {
        const std::size_t missing = sizeof event - std::size_t(partialSize);
        if (size < missing) {
            std::memcpy(partial + partialSize, bytes, size);
            partialSize += int(size);
            return;
        }
        std::memcpy(partial + partialSize, bytes, missing);
        std::memcpy(&event, partial, sizeof event);
        applyEvent(event, held);
        partialSize = 0;
        bytes += missing;
        size -= missing;
    }
    for (; size >= sizeof event; bytes += sizeof event, size -= sizeof event) {
        std::memcpy(&event, bytes, sizeof event);
        applyEvent(event, held);
    }
    std::memcpy(partial, bytes, size);
    partialSize = int(size);
}

void JoystickDevice::drain()
{
    char buffer[64 * sizeof(js_event)];
    for (int reads = 0; reads < kMaxReadsPerPoll;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            feed(buffer, std::size_t(count));
            ++reads;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // End of file (the device unplugged, a pipe's writer gone) or an
        // error: drop the device and wait before looking again.
        close();
        lastAttemptMs = now();
        return;
    }
}

void JoystickDevice::close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    held = InputState();
    partialSize = 0;
}
