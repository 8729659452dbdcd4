#include <QtTest>
#include <climits>

#include "taskexplode.h"
#include "taskmybullet.h"
#include "taskmyship.h"
#include "testsupport.h"

// The player's ship: flying in, steering, firing, destruction and respawn.
class TestShip : public TaskTest {
    Q_OBJECT

private slots:
    void fliesInAndWaitsWithoutInput();
    void readsTheJoystickFromItsSixtySixthFrame();
    void movesByDirectionCode_data();
    void movesByDirectionCode();
    void clampsEachAxisOnItsOwn_data();
    void clampsEachAxisOnItsOwn();
    void firesOneShotPerFrameWhileTriggerZeroIsHeld();
    void ignoresHitsUnlessActive();
    void destructionLeavesEightExplosionsFromSixteenRandCalls();
    void respawnsOnThe122ndFrameAfterDestruction();
    void warnsAboutAnInvalidState();
    void drawsByState_data();
    void drawsByState();
    void blinkKeepsWorkingWhenTheRenderCountWraps();
};

void TestShip::fliesInAndWaitsWithoutInput()
{
    auto *ship = new taskMyShip(PointF(320.0f, 480.0f), 0);
    manager->addMyTask(ship);

    manager->oneFrame();
    QCOMPARE(manager->getMyShipPos(), PointF(320.0f, 478.0f));
    for (int frame = 2; frame <= 64; ++frame)
        manager->oneFrame();
    QCOMPARE(ship->pos, PointF(320.0f, 352.0f));
    QCOMPARE(ship->state, int(taskMyShip::Entering));

    manager->oneFrame(); // the 65th: switches without moving
    QCOMPARE(ship->state, int(taskMyShip::Active));
    QCOMPARE(ship->pos, PointF(320.0f, 352.0f));

    for (int frame = 0; frame < 300; ++frame)
        manager->oneFrame();
    QCOMPARE(ship->pos, PointF(320.0f, 352.0f));
    QCOMPARE(manager->getMyShipPos(), PointF(320.0f, 352.0f));
    QCOMPARE(manager->getTaskCount(), 1); // never fired
}

void TestShip::readsTheJoystickFromItsSixtySixthFrame()
{
    Joystick::inst()->dir = 1;
    Joystick::inst()->triggers[0] = true;
    auto *ship = new taskMyShip(PointF(320.0f, 480.0f), 0);
    manager->addMyTask(ship);

    for (int frame = 1; frame <= 65; ++frame)
        manager->oneFrame();
    QCOMPARE(ship->pos, PointF(320.0f, 352.0f));
    QCOMPARE(manager->getTaskCount(), 1);

    manager->oneFrame();
    QCOMPARE(ship->pos, PointF(320.0f, 348.0f));
    QCOMPARE(manager->myTasks.size(), 2);
}

void TestShip::movesByDirectionCode_data()
{
    QTest::addColumn<int>("dir");
    QTest::addColumn<PointF>("expected");
    // Diagonals add 2.8f to each axis in float, as the game does.
    QTest::newRow("0 none") << 0 << PointF(320.0f, 352.0f);
    QTest::newRow("1 up") << 1 << PointF(320.0f, 348.0f);
    QTest::newRow("2 up-left") << 2 << PointF(320.0f - 2.8f, 352.0f - 2.8f);
    QTest::newRow("3 left") << 3 << PointF(316.0f, 352.0f);
    QTest::newRow("4 down-left") << 4 << PointF(320.0f - 2.8f, 352.0f + 2.8f);
    QTest::newRow("5 down") << 5 << PointF(320.0f, 356.0f);
    QTest::newRow("6 down-right") << 6 << PointF(320.0f + 2.8f, 352.0f + 2.8f);
    QTest::newRow("7 right") << 7 << PointF(324.0f, 352.0f);
    QTest::newRow("8 up-right") << 8 << PointF(320.0f + 2.8f, 352.0f - 2.8f);
    QTest::newRow("9 invalid") << 9 << PointF(320.0f, 352.0f);
    QTest::newRow("-1 invalid") << -1 << PointF(320.0f, 352.0f);
}

void TestShip::movesByDirectionCode()
{
    QFETCH(int, dir);
    QFETCH(PointF, expected);
    taskMyShip *ship = activeShipAt(PointF(320.0f, 352.0f));
    Joystick::inst()->dir = dir;

    ship->oneFrame();
    QCOMPARE(ship->pos, expected);
    QCOMPARE(TaskManager::inst()->getMyShipPos(), expected);
}

void TestShip::clampsEachAxisOnItsOwn_data()
{
    QTest::addColumn<PointF>("start");
    QTest::addColumn<int>("dir");
    QTest::addColumn<PointF>("expected");
    QTest::newRow("past the left edge") << PointF(2.0f, 100.0f) << 3 << PointF(0.0f, 100.0f);
    QTest::newRow("past the right edge") << PointF(638.0f, 100.0f) << 7 << PointF(640.0f, 100.0f);
    QTest::newRow("past the top edge") << PointF(100.0f, 2.0f) << 1 << PointF(100.0f, 0.0f);
    QTest::newRow("past the bottom edge") << PointF(100.0f, 478.0f) << 5 << PointF(100.0f, 480.0f);
    QTest::newRow("exactly onto the left edge")
        << PointF(4.0f, 100.0f) << 3 << PointF(0.0f, 100.0f);
    QTest::newRow("exactly onto the bottom edge")
        << PointF(100.0f, 476.0f) << 5 << PointF(100.0f, 480.0f);
    QTest::newRow("sliding down the left edge")
        << PointF(1.0f, 100.0f) << 4 << PointF(0.0f, 100.0f + 2.8f);
    QTest::newRow("sliding right along the bottom edge")
        << PointF(100.0f, 479.0f) << 6 << PointF(100.0f + 2.8f, 480.0f);
    QTest::newRow("sliding left along the top edge")
        << PointF(100.0f, 0.0f) << 2 << PointF(100.0f - 2.8f, 0.0f);
    QTest::newRow("into the top-left corner") << PointF(1.0f, 1.0f) << 2 << PointF(0.0f, 0.0f);
    QTest::newRow("into the bottom-right corner")
        << PointF(640.0f, 480.0f) << 6 << PointF(640.0f, 480.0f);
}

void TestShip::clampsEachAxisOnItsOwn()
{
    QFETCH(PointF, start);
    QFETCH(int, dir);
    QFETCH(PointF, expected);
    taskMyShip *ship = activeShipAt(start);
    Joystick::inst()->dir = dir;

    ship->oneFrame();
    QCOMPARE(ship->pos, expected);
}

void TestShip::firesOneShotPerFrameWhileTriggerZeroIsHeld()
{
    taskMyShip *ship = activeShipAt(PointF(638.0f, 100.0f));
    Joystick *joystick = Joystick::inst();

    joystick->triggers[1] = true; // the other trigger does not fire
    ship->oneFrame();
    QCOMPARE(manager->getTaskCount(), 1);

    joystick->triggers[0] = true;
    joystick->dir = 7; // right, against the edge: the shot leaves from the clamped point
    ship->oneFrame();
    ship->oneFrame();
    QCOMPARE(manager->myTasks.size(), 3);
    QCOMPARE(manager->getTaskCount(), 3);
    for (int i = 1; i <= 2; ++i) {
        auto *shot = dynamic_cast<taskMyBullet *>(manager->myTasks.at(i));
        QVERIFY(shot);
        QCOMPARE(shot->pos, PointF(640.0f, 100.0f));
        QCOMPARE(shot->tag, 0);
    }

    joystick->triggers[0] = false;
    ship->oneFrame();
    QCOMPARE(manager->getTaskCount(), 3);
}

void TestShip::ignoresHitsUnlessActive()
{
    auto *ship = new taskMyShip(PointF(320.0f, 400.0f), 0);
    manager->addMyTask(ship);

    for (int hit = 0; hit < 5; ++hit)
        ship->addDamage(1);
    QCOMPARE(ship->damage, 0); // not stored while entering

    ship->state = taskMyShip::Active;
    ship->addDamage(1);
    QCOMPARE(ship->state, int(taskMyShip::Active)); // the first contact is survived
    QCOMPARE(manager->getTaskCount(), 1);

    ship->addDamage(1);
    QCOMPARE(ship->state, int(taskMyShip::Destroyed));
    QCOMPARE(manager->getTaskCount(), 9);

    ship->addDamage(1); // a later contact in the same pass, or later frames
    ship->oneFrame();
    ship->addDamage(1);
    QCOMPARE(manager->getTaskCount(), 9);
    QCOMPARE(ship->state, int(taskMyShip::Destroyed));
}

void TestShip::destructionLeavesEightExplosionsFromSixteenRandCalls()
{
    taskMyShip *ship = activeShipAt(PointF(100.5f, 200.0f));
    ship->addDamage(1);
    srand(1);
    ship->addDamage(1);
    const int next = rand();

    srand(1);
    QCOMPARE(manager->getTaskCount(), 9);
    QCOMPARE(manager->myTasks.size(), 1); // explosions are on neither side
    QCOMPARE(manager->enemyTasks.size(), 0);
    QCOMPARE_EXPLOSIONS(1, PointF(100.5f, 200.0f));
    QCOMPARE(next, rand()); // exactly sixteen calls
}

void TestShip::respawnsOnThe122ndFrameAfterDestruction()
{
    taskMyShip *ship = activeShipAt(PointF(200.0f, 300.0f));
    ship->addDamage(1);
    ship->addDamage(1);

    for (int frame = 1; frame <= 121; ++frame)
        manager->oneFrame();
    QCOMPARE(manager->myTasks.size(), 1);
    QCOMPARE(manager->myTasks.first(), ship);
    QCOMPARE(ship->respawnCount, 121);
    QCOMPARE(ship->pos, PointF(200.0f, 300.0f)); // it does not move while destroyed
    QCOMPARE(manager->getTaskCount(), 1);        // the explosions are over

    manager->updatePass();
    QVERIFY(ship->dead);
    QCOMPARE(ship->respawnCount, 121);
    QCOMPARE(manager->getMyShipPos(), PointF(200.0f, 300.0f));
    QCOMPARE(manager->myTasks.size(), 2);
    auto *successor = dynamic_cast<taskMyShip *>(manager->myTasks.last());
    QVERIFY(successor);
    QCOMPARE(manager->tasks.last(), successor);
    QCOMPARE(successor->pos, PointF(320.0f, 480.0f));
    QCOMPARE(successor->state, int(taskMyShip::Entering));
    QCOMPARE(successor->tag, 0);
    manager->collisionCheck();
    manager->deletionPass();
    QCOMPARE(manager->myTasks.size(), 1);
    QCOMPARE(manager->getTaskCount(), 1);

    manager->oneFrame();
    QCOMPARE(manager->getMyShipPos(), PointF(320.0f, 478.0f));
}

void TestShip::warnsAboutAnInvalidState()
{
    taskMyShip *ship = activeShipAt(PointF(100.0f, 200.0f));
    ship->state = 3;
    Joystick::inst()->dir = 1;
    Joystick::inst()->triggers[0] = true;

    QTest::ignoreMessage(QtWarningMsg, "invalid state");
    ship->oneFrame();
    QCOMPARE(ship->pos, PointF(100.0f, 200.0f));
    QCOMPARE(manager->getMyShipPos(), PointF(100.0f, 200.0f)); // reported all the same
    QCOMPARE(manager->getTaskCount(), 1);

    ship->addDamage(1);
    ship->addDamage(1);
    QCOMPARE(ship->damage, 0);
    QCOMPARE(spriteDrawn(paintTask(ship)), QStringLiteral("nothing"));
    QCOMPARE(ship->renderCount, 1);
}

void TestShip::drawsByState_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<PointF>("pos");
    QTest::addColumn<QPoint>("centre");
    QTest::addColumn<QList<bool>>("drawnOnCalls");
    QTest::newRow("entering blinks, drawn on the odd-numbered calls")
        << int(taskMyShip::Entering) << PointF(320.0f, 480.0f) << QPoint(320, 480)
        << QList<bool>{true, false, true, false, true};
    QTest::newRow("active is drawn on every call, halves rounded up")
        << int(taskMyShip::Active) << PointF(100.5f, -2.5f) << QPoint(101, -2)
        << QList<bool>{true, true, true};
    QTest::newRow("destroyed is never drawn")
        << int(taskMyShip::Destroyed) << PointF(320.0f, 352.0f) << QPoint(320, 352)
        << QList<bool>{false, false, false};
}

void TestShip::drawsByState()
{
    QFETCH(int, state);
    QFETCH(PointF, pos);
    QFETCH(QPoint, centre);
    QFETCH(QList<bool>, drawnOnCalls);
    taskMyShip ship(pos, 0);
    ship.state = state;
    const QString drawn = spriteAt(QPoint(32, 0), QSize(32, 32), centre);

    for (int call = 0; call < drawnOnCalls.size(); ++call) {
        const QString painted = spriteDrawn(paintTask(&ship));
        QCOMPARE(painted, drawnOnCalls.at(call) ? drawn : QStringLiteral("nothing"));
    }
    QCOMPARE(ship.renderCount, int(drawnOnCalls.size()));
}

void TestShip::blinkKeepsWorkingWhenTheRenderCountWraps()
{
    taskMyShip ship(PointF(320.0f, 400.0f), 0);
    ship.renderCount = INT_MAX;
    QCOMPARE(spriteDrawn(paintTask(&ship)), QStringLiteral("nothing"));
    QCOMPARE(ship.renderCount, INT_MIN);
    QCOMPARE(spriteDrawn(paintTask(&ship)),
             spriteAt(QPoint(32, 0), QSize(32, 32), QPoint(320, 400)));
}

QTEST_MAIN(TestShip)
#include "tst_ship.moc"
