#include <QtTest>

#include "app/pausecontrol.h"
#include "input/gamepadsource.h"
#include "input/keyboardsource.h"
#include "present/frameloop.h"
#include "testsupport.h"

// The pause, a step a letter: P pressed, Left pressed
// and let go (L, l), the window's focus in and out (I, O), a tick of the
// frame timer (t), a pad's Start and Back down and up (S, s, B, b), the paced
// frame loop taking over (F) and 150 ms of its running (w). Frames -1: some.
class TestPause : public WorldTest {
    Q_OBJECT

private slots:
    void pauseRule_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("paused");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("dir");
        QTest::newRow("P pauses") << "Ptt" << true << 0 << 0;
        QTest::newRow("Start pauses once let go") << "Stst" << true << 1 << 0;
        QTest::newRow("Start with Back") << "SBsbt" << false << 1 << 0;
        QTest::newRow("focus lost") << "IOt" << true << 0 << 0;
        QTest::newRow("focus lost at start") << "Ot" << false << 1 << 0;
        QTest::newRow("held key released") << "LtPPt" << false << 2 << 0;
        QTest::newRow("pressed again") << "LPPtlLt" << false << 2 << 3;
        QTest::newRow("paced loop runs") << "Fw" << false << -1 << 0;
        QTest::newRow("paced loop stands") << "FPw" << true << 0 << 0;
        QTest::newRow("no burst on resume") << "FPwP" << false << 0 << 0;
    }

    void pauseRule()
    {
        QFETCH(QString, steps);
        QFETCH(bool, paused);
        QFETCH(int, frames);
        QFETCH(int, dir);
        View view;
        view.winId();
        PauseControl control(QCoreApplication::instance(), &view, true);
        Joystick::inst()->addSource(new KeyboardSource(QCoreApplication::instance()));
        int ran = 0;
        view.frameDone.push_back([&ran] { ++ran; });
        GamePadSource::Pad pad;
        bool held[2] = {false, false}; // Start, Back
        for (const char c : steps.toLatin1()) {
            QEvent focus(c == 'I' ? QEvent::WindowActivate : QEvent::WindowDeactivate);
            QTimerEvent tick(view.frameTimerId);
            if (c == 'P' || c == 'L' || c == 'l')
                QTest::sendKeyEvent(c == 'l' ? QTest::Release : QTest::Press, &view,
                                    c == 'P' ? Qt::Key_P : Qt::Key_Left, QString(), Qt::NoModifier);
            else if (c == 'I' || c == 'O' || c == 't')
                QCoreApplication::sendEvent(&view,
                                            c == 't' ? static_cast<QEvent *>(&tick) : &focus);
            else if (c == 'F')
                new FrameLoop(&view);
            else if (c == 'w')
                QTest::qWait(150);
            else
                held[c == 'B' || c == 'b'] = c < 'a';
            bool quit = false, toggle = false;
            GamePadSource::readControls(pad, held[0], held[1], quit, toggle);
            if (toggle)
                control.toggle();
        }
        QCOMPARE(view.isPaused(), paused);
        QVERIFY2(frames < 0 ? ran > 0 : ran == frames, qPrintable(QString::number(ran)));
        QCOMPARE(Joystick::inst()->getDir(), dir);
    }
};

QTEST_MAIN(TestPause)
#include "tst_pause.moc"
