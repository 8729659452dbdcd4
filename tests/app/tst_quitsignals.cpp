#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <unistd.h>

#include "app/quitsignals.h"
#include "testsupport.h"

// SIGINT, SIGTERM and SIGHUP sent to the running game end its event loop with
// status 0; the handlers that were there before come back afterwards.
class TestQuitSignals : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void signalEndsTheLoopWithStatusZero_data();
    void signalEndsTheLoopWithStatusZero();
    void signalBeforeTheLoopStartsEndsItAtOnce();
    void inheritedIgnoreIsOverriddenExceptForHangUp_data();
    void inheritedIgnoreIsOverriddenExceptForHangUp();
    void previousHandlersComeBack_data();
    void previousHandlersComeBack();

private:
    struct sigaction saved[3];
};

namespace {
volatile std::sig_atomic_t caughtByTestHandler = 0;
void testHandler(int signalNumber)
{
    caughtByTestHandler = signalNumber;
}

void setHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    QCOMPARE(::sigaction(signalNumber, &action, nullptr), 0);
}

void (*currentHandler(int signalNumber))(int)
{
    struct sigaction action;
    ::sigaction(signalNumber, nullptr, &action);
    return action.sa_handler;
}

void addSignalRows()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}
} // namespace

void TestQuitSignals::init()
{
    // Every test starts from the defaults, whatever the test runner inherited.
    for (int i = 0; i < 3; ++i) {
        ::sigaction(QuitSignals::kSignals[i], nullptr, &saved[i]);
        setHandler(QuitSignals::kSignals[i], SIG_DFL);
    }
    caughtByTestHandler = 0;
}

void TestQuitSignals::cleanup()
{
    for (int i = 0; i < 3; ++i)
        ::sigaction(QuitSignals::kSignals[i], &saved[i], nullptr);
}

void TestQuitSignals::signalEndsTheLoopWithStatusZero_data()
{
    addSignalRows();
}

void TestQuitSignals::signalEndsTheLoopWithStatusZero()
{
    QFETCH(int, signalNumber);

    // Sent to the process, as kill does, with a window open as in the game.
    QuitSignals quitSignals;
    QVERIFY(quitSignals.isActive());
    QWidget window;
    window.show();
    QTimer::singleShot(0, [signalNumber] { ::kill(::getpid(), signalNumber); });
    QCOMPARE(runEventLoop(99), 0);
    QCOMPARE(quitSignals.lastSignal(), signalNumber);
}

void TestQuitSignals::signalBeforeTheLoopStartsEndsItAtOnce()
{
    // A signal during start-up, before the loop runs, is kept in the pipe.
    QuitSignals quitSignals;
    ::raise(SIGTERM);
    ::raise(SIGINT);
    QCOMPARE(runEventLoop(99), 0);
    QCOMPARE(quitSignals.lastSignal(), int(SIGINT));
}

void TestQuitSignals::inheritedIgnoreIsOverriddenExceptForHangUp_data()
{
    addSignalRows();
}

void TestQuitSignals::inheritedIgnoreIsOverriddenExceptForHangUp()
{
    QFETCH(int, signalNumber);

    // As a script's background job inherits SIGINT, or nohup SIGHUP.
    setHandler(signalNumber, SIG_IGN);
    {
        QuitSignals quitSignals;
        if (signalNumber == SIGHUP) {
            QVERIFY(currentHandler(SIGHUP) == SIG_IGN);
        } else {
            QVERIFY(currentHandler(signalNumber) != SIG_IGN);
            QTimer::singleShot(0, [signalNumber] { ::raise(signalNumber); });
            QCOMPARE(runEventLoop(99), 0);
        }
    }
    QVERIFY(currentHandler(signalNumber) == SIG_IGN);
}

void TestQuitSignals::previousHandlersComeBack_data()
{
    addSignalRows();
}

void TestQuitSignals::previousHandlersComeBack()
{
    QFETCH(int, signalNumber);

    setHandler(signalNumber, testHandler);
    {
        QuitSignals quitSignals;
        QVERIFY(currentHandler(signalNumber) != testHandler);
    }
    QVERIFY(currentHandler(signalNumber) == testHandler);
    ::raise(signalNumber);
    QCOMPARE(int(caughtByTestHandler), signalNumber);

    // A second instance installs again, and quits again.
    QuitSignals again;
    QTimer::singleShot(0, [signalNumber] { ::raise(signalNumber); });
    QCOMPARE(runEventLoop(99), 0);
}

QTEST_MAIN(TestQuitSignals)
#include "tst_quitsignals.moc"
