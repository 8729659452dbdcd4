#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include "app/quitkeys.h"
#include "input/keyboardsource.h"
#include "testsupport.h"

// Escape pressed in the game's window ends the event loop with status 0; other
// keys, releases and the repeats of a held Escape do not.
class TestQuitKeys : public WorldTest {
    Q_OBJECT

private slots:
    void escapeEndsTheLoop_data();
    void escapeEndsTheLoop();
    void escapeIsTakenOtherKeysPassOn();
};

// What a row does to the window.
using KeyAction = std::function<void(QWidget *)>;
Q_DECLARE_METATYPE(KeyAction)

namespace {
// Runs the loop with `act` done in its first pass, and ends it with 7 in the
// next pass unless `act` asked the application to quit.
int runLoopAfter(const std::function<void()> &act)
{
    QTimer::singleShot(0, [act] {
        act();
        QTimer::singleShot(0, [] { QCoreApplication::exit(7); });
    });
    return QCoreApplication::exec();
}

void send(QWidget *target, QEvent::Type type, int key, bool autoRepeat)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(target, &event);
}

// Counts the key presses that reach a widget.
class PressCounter : public QWidget {
public:
    int presses = 0;

protected:
    void keyPressEvent(QKeyEvent *) override { ++presses; }
};
} // namespace

void TestQuitKeys::escapeEndsTheLoop_data()
{
    QTest::addColumn<KeyAction>("keys");
    QTest::addColumn<int>("status");

    QTest::newRow("Escape clicked")
        << KeyAction([](QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); }) << 0;
    QTest::newRow("Shift+Escape") << KeyAction([](QWidget *w) {
        QTest::keyClick(w, Qt::Key_Escape, Qt::ShiftModifier);
    }) << 0;
    QTest::newRow("only the repeats of a held Escape") << KeyAction([](QWidget *w) {
        send(w, QEvent::KeyPress, Qt::Key_Escape, true);
        send(w, QEvent::KeyPress, Qt::Key_Escape, true);
        send(w, QEvent::KeyRelease, Qt::Key_Escape, false);
    }) << 7;
    QTest::newRow("Escape released only")
        << KeyAction([](QWidget *w) { send(w, QEvent::KeyRelease, Qt::Key_Escape, false); }) << 7;
    QTest::newRow("the game's keys and Q") << KeyAction([](QWidget *w) {
        for (const int key :
             {int(Qt::Key_Z), int(Qt::Key_Left), int(Qt::Key_Space), int(Qt::Key_Q)})
            QTest::keyClick(w, Qt::Key(key));
    }) << 7;
}

void TestQuitKeys::escapeEndsTheLoop()
{
    QFETCH(KeyAction, keys);
    QFETCH(int, status);

    QuitKeys quitKeys(qApp);
    QWidget window;
    window.show();
    QCOMPARE(runLoopAfter([&] { keys(&window); }), status);
}

void TestQuitKeys::escapeIsTakenOtherKeysPassOn()
{
    // The keyboard source watches the same application: the game's keys still
    // reach it and the window, while Escape stops at the quit filter.
    QuitKeys quitKeys(qApp);
    auto *source = new KeyboardSource(qApp);
    Joystick::inst()->addSource(source);
    PressCounter window;
    window.show();
    send(&window, QEvent::KeyPress, Qt::Key_Z, false);
    QCOMPARE(window.presses, 1);
    QVERIFY(source->heldKeys.contains(Qt::Key_Z));
    send(&window, QEvent::KeyPress, Qt::Key_Escape, false);
    QCOMPARE(window.presses, 1);
}

QTEST_MAIN(TestQuitKeys)
#include "tst_quitkeys.moc"
