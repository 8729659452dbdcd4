#include <QtTest>

#include "present/frameclock.h"

namespace {

constexpr qint64 kMs = 1000000;
constexpr qint64 kSecond = 1000 * kMs;

// What a game paced by a screen of `hz` ran in ten seconds.
struct Run {
    int frames = 0;
    int mostAtOnce = 0;
    // Whether every picture after the first second came after one frame, at every refresh.
    bool oneFramePerRefresh = true;
};

// The loop on a screen that refreshes at `hz`: after each picture the frames
// due, a wait when none is, 1 ms of work, then the picture reaches the screen
// at the next refresh; the picture shown at `stallAt` takes 300 ms more.
Run play(double hz, qint64 stallAt)
{
    const qint64 refresh = qRound64(kSecond / hz);
    FrameClock clock(0);
    Run run;
    qint64 now = 0;
    while (now < 10 * kSecond) {
        int frames = clock.takeFramesDue(now);
        const qint64 shown = now;
        if (frames == 0) {
            now = clock.nextFrameAt();
            frames = clock.takeFramesDue(now);
        }
        run.frames += frames;
        run.mostAtOnce = qMax(run.mostAtOnce, frames);
        const qint64 work = kMs + (stallAt >= shown && stallAt < shown + refresh ? 300 * kMs : 0);
        now = ((now + work) / refresh + 1) * refresh;
        if (shown >= kSecond && (frames != 1 || now - shown != refresh))
            run.oneFramePerRefresh = false;
        clock.presented(now);
    }
    return run;
}

} // namespace

// The frames the game runs on screens that pace its pictures.
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
        << 56.25 << 5 * kSecond << 625 - 15 << 4 << false;
    QTest::newRow("a 300 ms picture at 60 Hz: one, then on")
        << 60.0 << 5 * kSecond << 600 - 18 << 1 << false;
}

void TestFrameClock::pacedByTheScreen()
{
    QFETCH(double, hz);
    QFETCH(qint64, stallAt);
    QFETCH(int, frames);
    QFETCH(int, mostAtOnce);
    QFETCH(bool, oneFramePerRefresh);

    const Run run = play(hz, stallAt);
    QVERIFY2(
        qAbs(run.frames - frames) <= 2,
        qPrintable(QStringLiteral("%1 frames in 10 s, not about %2").arg(run.frames).arg(frames)));
    QCOMPARE(run.mostAtOnce, mostAtOnce);
    QCOMPARE(run.oneFramePerRefresh, oneFramePerRefresh);
}

QTEST_MAIN(TestFrameClock)
#include "tst_frameclock.moc"
