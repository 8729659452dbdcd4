#include "app/quitsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

// Why the handlers must be ours, and be installed after the application object:
// Qt's linuxfb platform (eglfs too), started on a virtual console, switches the
// console's keyboard off, puts the screen in graphics mode and hides the
// cursor, all while the application object is made; it also installs SIGINT
// and SIGTERM handlers of its own, which put the keyboard back and leave at
// once with status 1, so the game's teardown never runs. A normal return from
// the event loop instead destroys the window, then the application, whose
// platform integration puts the console back as it found it (text mode, the
// keyboard mode it had, the cursor shown). So these handlers replace Qt's, and
// quitting goes through the event loop. Qt's handlers for suspending (SIGTSTP,
// SIGCONT) and for switching consoles are left alone.

const int QuitSignals::kSignals[3] = {SIGINT, SIGTERM, SIGHUP};

namespace {
// The pipe's write end for the handler; -1 when no QuitSignals exists.
volatile std::sig_atomic_t writeFd = -1;

// Async-signal-safe: one write(), errno left as it was.
void onQuitSignal(int signalNumber)
{
    const int savedErrno = errno;
    const int fd = writeFd;
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // A full pipe already holds a request to quit: losing this one is fine.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

bool isIgnored(const struct sigaction &action)
{
    return !(action.sa_flags & SA_SIGINFO) && action.sa_handler == SIG_IGN;
}
} // namespace

QuitSignals::QuitSignals(QObject *parent) : QObject(parent)
{
    Q_ASSERT(writeFd < 0);
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("Cannot watch for SIGINT, SIGTERM and SIGHUP: %s.", std::strerror(errno));
        pipeFds[0] = pipeFds[1] = -1;
        return;
    }
    writeFd = pipeFds[1];
    notifier = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &QuitSignals::readPipe);

    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        if (::sigaction(kSignals[i], nullptr, &previous[i]) != 0)
            continue;
        // SIGINT and SIGTERM are always ours: a job started in the background
        // by a script inherits SIGINT ignored, yet kill -INT must still end the
        // game. An ignored SIGHUP is kept, though: that is what nohup asks for,
        // so that the game outlives the terminal it was started from.
        if (kSignals[i] == SIGHUP && isIgnored(previous[i]))
            continue;
        installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

QuitSignals::~QuitSignals()
{
    // The old handlers first, so that ours never writes to a closed pipe.
    for (int i = 0; i < 3; ++i)
        if (installed[i])
            ::sigaction(kSignals[i], &previous[i], nullptr);
    writeFd = -1;
    delete notifier;
    for (const int fd : pipeFds)
        if (fd >= 0)
            ::close(fd);
}

void QuitSignals::readPipe()
{
    unsigned char bytes[16];
    ssize_t count;
    while ((count = ::read(pipeFds[0], bytes, sizeof bytes)) > 0 || (count < 0 && errno == EINTR))
        if (count > 0)
            received = bytes[count - 1];
    QCoreApplication::quit();
}
