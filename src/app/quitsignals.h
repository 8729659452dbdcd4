#ifndef QUITSIGNALS_H
#define QUITSIGNALS_H

#include <QObject>
#include <csignal>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP end the game the way Escape does: the event loop
// returns 0 and the usual teardown runs. The handler only writes the signal's
// number into a pipe; the GUI thread reads it and asks the application to quit.
class QuitSignals : public QObject {
    Q_OBJECT

public:
    // Create after the application object, so that these handlers replace any
    // its platform plugin installed; one at a time.
    explicit QuitSignals(QObject *parent = nullptr);
    // Puts back the handlers that were there before.
    ~QuitSignals() override;
    QuitSignals(const QuitSignals &) = delete;
    QuitSignals &operator=(const QuitSignals &) = delete;

    // Whether the handlers are in place (false when the pipe could not be made).
    bool isActive() const { return notifier != nullptr; }
    // The last signal that asked to quit, 0 before any.
    int lastSignal() const { return received; }

    static const int kSignals[3];

private:
    void readPipe();

    int pipeFds[2] = {-1, -1};
    QSocketNotifier *notifier = nullptr;
    struct sigaction previous[3];
    bool installed[3] = {false, false, false};
    int received = 0;
};

#endif
