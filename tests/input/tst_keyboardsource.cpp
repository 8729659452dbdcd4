#include <QWidget>
#include <QtTest>

#include "app/defaultsources.h"
#include "input/joystickdevice.h"
#ifdef SHMUP_SDL
#include "input/gamepadsource.h"
#endif
#include "input/keyboardsource.h"
#include "input/pointersource.h"
#include "inputsupport.h"
#include "testsupport.h"
#include "view.h"

// The keyboard as the joystick: which keys give which direction and trigger,
// when they count as released, and the ship steered and firing through it.
class TestKeyboardSource : public WorldTest {
    Q_OBJECT

private slots:
    void init();

    void heldKeysGiveDirectionAndTriggers_data();
    void heldKeysGiveDirectionAndTriggers();
    void releasingKeysUpdatesTheState();
    void autoRepeatIsIgnored();
    void losingFocusReleasesEverything_data();
    void losingFocusReleasesEverything();
    void keyEventsPassThroughToTheWindow();
    void clearingTheSourcesRemovesTheFilter();
    void defaultSourcesLeaveTheStateAtRest();
    void shipSteeredByKeysClampsAndFiresEveryFrame_data();
    void shipSteeredByKeysClampsAndFiresEveryFrame();

private:
    // Key events sent to a plain object reach the application-wide filter.
    void press(int key, bool autoRepeat = false);
    void release(int key, bool autoRepeat = false);
    void send(QEvent *event) { QCoreApplication::sendEvent(&target, event); }

    Joystick *const joystick = Joystick::inst();
    KeyboardSource *source = nullptr;
    QObject target;
};

using KeyList = QList<int>;

void TestKeyboardSource::init()
{
    resetWorld();
    source = new KeyboardSource(QCoreApplication::instance());
    joystick->addSource(source);
}

void TestKeyboardSource::press(int key, bool autoRepeat)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
    send(&event);
}

void TestKeyboardSource::release(int key, bool autoRepeat)
{
    QKeyEvent event(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
    send(&event);
}

void TestKeyboardSource::heldKeysGiveDirectionAndTriggers_data()
{
    QTest::addColumn<KeyList>("keys");
    QTest::addColumn<int>("dir");
    QTest::addColumn<bool>("fire");
    QTest::addColumn<bool>("trigger1");

    QTest::newRow("nothing held") << KeyList{} << 0 << false << false;
    QTest::newRow("up") << KeyList{Qt::Key_Up} << 1 << false << false;
    QTest::newRow("up and left") << KeyList{Qt::Key_Up, Qt::Key_Left} << 2 << false << false;
    QTest::newRow("left") << KeyList{Qt::Key_Left} << 3 << false << false;
    QTest::newRow("down and left") << KeyList{Qt::Key_Down, Qt::Key_Left} << 4 << false << false;
    QTest::newRow("down") << KeyList{Qt::Key_Down} << 5 << false << false;
    QTest::newRow("down and right") << KeyList{Qt::Key_Down, Qt::Key_Right} << 6 << false << false;
    QTest::newRow("right") << KeyList{Qt::Key_Right} << 7 << false << false;
    QTest::newRow("up and right") << KeyList{Qt::Key_Up, Qt::Key_Right} << 8 << false << false;
    QTest::newRow("W") << KeyList{Qt::Key_W} << 1 << false << false;
    QTest::newRow("W and A") << KeyList{Qt::Key_W, Qt::Key_A} << 2 << false << false;
    QTest::newRow("A") << KeyList{Qt::Key_A} << 3 << false << false;
    QTest::newRow("S and A") << KeyList{Qt::Key_S, Qt::Key_A} << 4 << false << false;
    QTest::newRow("S") << KeyList{Qt::Key_S} << 5 << false << false;
    QTest::newRow("S and D") << KeyList{Qt::Key_S, Qt::Key_D} << 6 << false << false;
    QTest::newRow("D") << KeyList{Qt::Key_D} << 7 << false << false;
    QTest::newRow("W and D") << KeyList{Qt::Key_W, Qt::Key_D} << 8 << false << false;
    QTest::newRow("up arrow and A mix") << KeyList{Qt::Key_Up, Qt::Key_A} << 2 << false << false;
    QTest::newRow("left and right cancel")
        << KeyList{Qt::Key_Left, Qt::Key_Right} << 0 << false << false;
    QTest::newRow("up and down cancel") << KeyList{Qt::Key_Up, Qt::Key_Down} << 0 << false << false;
    QTest::newRow("A and right arrow cancel")
        << KeyList{Qt::Key_A, Qt::Key_Right} << 0 << false << false;
    QTest::newRow("cancel across, up still counts")
        << KeyList{Qt::Key_Left, Qt::Key_Right, Qt::Key_Up} << 1 << false << false;
    QTest::newRow("left arrow and A count once")
        << KeyList{Qt::Key_Left, Qt::Key_A, Qt::Key_Right} << 0 << false << false;
    QTest::newRow("Z fires") << KeyList{Qt::Key_Z} << 0 << true << false;
    QTest::newRow("Space fires") << KeyList{Qt::Key_Space} << 0 << true << false;
    QTest::newRow("Ctrl fires") << KeyList{Qt::Key_Control} << 0 << true << false;
    QTest::newRow("X is trigger 1") << KeyList{Qt::Key_X} << 0 << false << true;
    QTest::newRow("down-left firing both")
        << KeyList{Qt::Key_S, Qt::Key_Left, Qt::Key_Z, Qt::Key_X} << 4 << true << true;
    QTest::newRow("other keys do nothing")
        << KeyList{Qt::Key_Q, Qt::Key_Return, Qt::Key_Shift} << 0 << false << false;
}

void TestKeyboardSource::heldKeysGiveDirectionAndTriggers()
{
    QFETCH(KeyList, keys);
    QFETCH(int, dir);
    QFETCH(bool, fire);
    QFETCH(bool, trigger1);

    for (int key : keys)
        press(key);
    joystick->pool();
    QCOMPARE_JOYSTICK(joystick, dir, fire, trigger1);
    // Held keys stay held from frame to frame.
    joystick->pool();
    QCOMPARE_JOYSTICK(joystick, dir, fire);
}

void TestKeyboardSource::releasingKeysUpdatesTheState()
{
    press(Qt::Key_Up);
    press(Qt::Key_Left);
    press(Qt::Key_A);
    press(Qt::Key_Space);
    joystick->pool();
    QCOMPARE_JOYSTICK(joystick, 2, true);

    release(Qt::Key_Up);
    release(Qt::Key_Space);
    joystick->pool();
    QCOMPARE_JOYSTICK(joystick, 3, false);

    // Left arrow is still down after A comes up.
    release(Qt::Key_A);
    joystick->pool();
    QCOMPARE(joystick->getDir(), 3);

    release(Qt::Key_Left);
    joystick->pool();
    QCOMPARE(joystick->getDir(), 0);
}

void TestKeyboardSource::autoRepeatIsIgnored()
{
    press(Qt::Key_Left);
    // X11 repeats a held key as a release and press pair, both flagged.
    release(Qt::Key_Left, true);
    joystick->pool();
    QCOMPARE(joystick->getDir(), 3);
    press(Qt::Key_Left, true);
    press(Qt::Key_Z, true);
    joystick->pool();
    QCOMPARE_JOYSTICK(joystick, 3, false);

    release(Qt::Key_Left);
    joystick->pool();
    QCOMPARE(joystick->getDir(), 0);
}

void TestKeyboardSource::losingFocusReleasesEverything_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("released");
    QTest::newRow("window loses focus") << 0 << true;
    QTest::newRow("window deactivated") << 1 << true;
    QTest::newRow("application inactive") << 2 << true;
    QTest::newRow("application hidden") << 3 << true;
    QTest::newRow("application becomes active") << 4 << false;
}

void TestKeyboardSource::losingFocusReleasesEverything()
{
    QFETCH(int, kind);
    QFETCH(bool, released);

    press(Qt::Key_Right);
    press(Qt::Key_X);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
    QApplicationStateChangeEvent hidden(Qt::ApplicationHidden);
    QApplicationStateChangeEvent active(Qt::ApplicationActive);
    QEvent *events[] = {&focusOut, &deactivate, &inactive, &hidden, &active};
    send(events[kind]);

    joystick->pool();
    QCOMPARE(joystick->getDir(), released ? 0 : 7);
    QCOMPARE(joystick->isTrigged(1), !released);

    // Keys pressed again after the focus comes back count as usual.
    press(Qt::Key_Down);
    joystick->pool();
    QCOMPARE(joystick->getDir(), released ? 5 : 6);
}

// A real widget gets each key event through several objects (and the filter
// sees each pass); the widget must still get it and one release must do.
void TestKeyboardSource::keyEventsPassThroughToTheWindow()
{
    class KeyCountingWidget : public QWidget {
    public:
        int presses = 0;

    protected:
        void keyPressEvent(QKeyEvent *event) override
        {
            ++presses;
            QWidget::keyPressEvent(event);
        }
    };
    QWidget window;
    auto *child = new KeyCountingWidget;
    child->setParent(&window);

    QKeyEvent pressLeft(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QCoreApplication::sendEvent(child, &pressLeft);
    QCOMPARE(child->presses, 1);
    joystick->pool();
    QCOMPARE(joystick->getDir(), 3);

    QKeyEvent releaseLeft(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier);
    QCoreApplication::sendEvent(child, &releaseLeft);
    joystick->pool();
    QCOMPARE(joystick->getDir(), 0);
}

void TestKeyboardSource::clearingTheSourcesRemovesTheFilter()
{
    QPointer<QObject> filter = source->filter;
    QVERIFY(filter);
    joystick->clearSources();
    QVERIFY(!filter);
    press(Qt::Key_Left); // would reach a deleted source if the filter stayed

    // An application that goes first takes the filter along; the source is
    // then destroyed without touching it again.
    auto *orphan = new KeyboardSource(QCoreApplication::instance());
    delete orphan->filter.data();
    delete orphan;

    auto *noApplication = new KeyboardSource(nullptr);
    InputState state;
    noApplication->poll(state);
    QCOMPARE(state.x, 0);
    delete noApplication;
}

void TestKeyboardSource::defaultSourcesLeaveTheStateAtRest()
{
    Joystick game;
    addDefaultSources(game);
    QCOMPARE(game.sources.size(), 3);
    QVERIFY(dynamic_cast<KeyboardSource *>(game.sources.at(0)));
    QVERIFY(dynamic_cast<PointerSource *>(game.sources.at(1)));
#ifdef SHMUP_SDL
    // SDL owns the pads: the joystick node is not read as well.
    QVERIFY(dynamic_cast<GamePadSource *>(game.sources.at(2)));
#else
    QVERIFY(dynamic_cast<JoystickDevice *>(game.sources.at(2)));
#endif
    for (int frame = 0; frame < 3; ++frame) {
        game.pool();
        QCOMPARE_JOYSTICK(&game, 0, false, false);
    }
    press(Qt::Key_Up);
    game.pool();
    QCOMPARE(game.getDir(), 1);
}

void TestKeyboardSource::shipSteeredByKeysClampsAndFiresEveryFrame_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<PointF>("start");
    QTest::addColumn<PointF>("afterOne");
    QTest::addColumn<PointF>("afterThree");

    QTest::newRow("left edge") << int(Qt::Key_Left) << PointF(6.0f, 352.0f) << PointF(2.0f, 352.0f)
                               << PointF(0.0f, 352.0f);
    QTest::newRow("right edge") << int(Qt::Key_D) << PointF(634.0f, 352.0f)
                                << PointF(638.0f, 352.0f) << PointF(640.0f, 352.0f);
    QTest::newRow("top edge") << int(Qt::Key_W) << PointF(320.0f, 7.0f) << PointF(320.0f, 3.0f)
                              << PointF(320.0f, 0.0f);
    QTest::newRow("bottom edge") << int(Qt::Key_Down) << PointF(320.0f, 472.0f)
                                 << PointF(320.0f, 476.0f) << PointF(320.0f, 480.0f);
}

void TestKeyboardSource::shipSteeredByKeysClampsAndFiresEveryFrame()
{
    QFETCH(int, key);
    QFETCH(PointF, start);
    QFETCH(PointF, afterOne);
    QFETCH(PointF, afterThree);

    taskMyShip *ship = activeShipAt(start);
    press(key);
    press(Qt::Key_Z);
    View::stepGame();
    QCOMPARE(ship->pos, afterOne);
    QCOMPARE(shotsInPlay(), 1);
    View::stepGame();
    View::stepGame();
    QCOMPARE(ship->pos, afterThree);
    QCOMPARE(shotsInPlay(), 3);

    release(Qt::Key_Z);
    release(key);
    View::stepGame();
    QCOMPARE(ship->pos, afterThree);
    QCOMPARE(shotsInPlay(), 3);
}

QTEST_MAIN(TestKeyboardSource)
#include "tst_keyboardsource.moc"
