#include <QtTest>

#include "present/frameclock.h"

// Ten seconds on a screen of `hz` that paces the pictures: after each picture the
// frames due (after a wait when none is), 1 ms of work, and the next refresh
// shows the picture; the one shown at `stallAt` takes 300 ms more.
class TestFrameClock : public QObject {
    Q_OBJECT

private slots:
    void pacedByTheScreen_data();
    void pacedByTheScreen();
};

void TestFrameClock::pacedByTheScreen_data()
{
    QTest::addColumn<double>("hz");
    QTest::addColumn<qint64>("stallAt");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("mostAtOnce");
    // Every picture after the first second came one frame and one refresh after the last.
    QTest::addColumn<bool>("oneFramePerRefresh");

    const qint64 none = -1;
    QTest::newRow("50 Hz: 62.5 a second, now one, now two") << 50.0 << none << 625 << 2 << false;
    QTest::newRow("56.25 Hz: 62.5 a second") << 56.25 << none << 625 << 2 << false;
    QTest::newRow("60 Hz: one a refresh, 4 % slow") << 60.0 << none << 600 << 1 << true;
    QTest::newRow("75 Hz: 62.5 a second, some refreshes skipped")
        << 75.0 << none << 625 << 1 << false;
    QTest::newRow("144 Hz: 62.5 a second") << 144.0 << none << 625 << 1 << false;
    // 300 ms is 18.75 frames: 4 run at once, the rest lost.
    QTest::newRow("a 300 ms picture at 56.25 Hz: 4 at once, then slower")
        << 56.25 << 5000000000LL << 625 - 15 << 4 << false;
    QTest::newRow("a 300 ms picture at 60 Hz: one, then on")
        << 60.0 << 5000000000LL << 600 - 18 << 1 << false;
}

void TestFrameClock::pacedByTheScreen()
{
    QFETCH(double, hz);
    QFETCH(qint64, stallAt);
    QFETCH(int, frames);
    QFETCH(int, mostAtOnce);
    QFETCH(bool, oneFramePerRefresh);

    const qint64 ms = 1000000;
    const qint64 refresh = qRound64(1e9 / hz);
    FrameClock clock(0);
    int ran = 0, most = 0;
    bool onePerRefresh = true;
    for (qint64 now = 0; now < 10000 * ms;) {
        const qint64 shown = now;
        int due = clock.takeFramesDue(now);
        if (due == 0) // a wait until the next frame falls due
            due = clock.takeFramesDue(now = clock.nextFrameAt());
        ran += due;
        most = qMax(most, due);
        const qint64 work = stallAt >= shown && stallAt < shown + refresh ? 301 * ms : ms;
        now = ((now + work) / refresh + 1) * refresh;
        onePerRefresh &= shown < 1000 * ms || (due == 1 && now - shown == refresh);
        clock.presented(now);
    }
    QVERIFY2(qAbs(ran - frames) <= 2, qPrintable(QStringLiteral("%1 frames ran").arg(ran)));
    QCOMPARE(most, mostAtOnce);
    QCOMPARE(onePerRefresh, oneFramePerRefresh);
}

QTEST_MAIN(TestFrameClock)
#include "tst_frameclock.moc"
