#include <QtTest>
#include <climits>
#include <cmath>
#include <memory>
#include <vector>

#include "taskenemy1.h"
#include "taskenemy2.h"
#include "taskenemybullet.h"
#include "taskexplode.h"
#include "testsupport.h"

// The aiming enemy, its bullets and the splitting enemy.
class TestEnemies : public TaskTest {
    Q_OBJECT

private slots:
    void aimingEnemyFiresFiveBulletsOnItsWayDown();
    void aimsFromItsPositionAfterTheMove_data();
    void aimsFromItsPositionAfterTheMove();
    void stillFiresInTheFrameItLeaves();
    void fireCounterWraps();
    void bulletMovesWithThePreviousVelocity();
    void bulletLeavingTheScreenDiesThatFrame_data();
    void bulletLeavingTheScreenDiesThatFrame();
    void splittingEnemyFliesStraightAndLeavesQuietly();
    void damageRule_data();
    void damageRule();
    void splitDrawsTwentyRandValuesInOrder();
    void splitAtNinetyDegreesUsesTheGamesOwnPi();
    void drawsItsRegion_data();
    void drawsItsRegion();
};

namespace {
int countOf(const QList<Task *> &tasks, bool (*is)(Task *))
{
    int n = 0;
    for (Task *task : tasks)
        n += is(task) ? 1 : 0;
    return n;
}
bool isExplosion(Task *t)
{
    return dynamic_cast<taskExplode *>(t) != nullptr;
}
bool isSmallEnemy(Task *t)
{
    auto *e = dynamic_cast<taskEnemy2 *>(t);
    return e && e->kind == 1;
}
bool isEnemyBullet(Task *t)
{
    return dynamic_cast<taskEnemyBullet *>(t) != nullptr;
}
} // namespace

void TestEnemies::aimingEnemyFiresFiveBulletsOnItsWayDown()
{
    manager->setMyShipPos(PointF(320.0f, 352.0f));
    taskEnemy1 enemy(PointF(100.0f, -16.0f), 0, PointF(0.0f, 2.0f));

    QList<int> firedOnCalls;
    int call = 0;
    while (!enemy.dead && call < 1000) {
        const int before = manager->getTaskCount();
        enemy.oneFrame();
        ++call;
        if (manager->getTaskCount() > before)
            firedOnCalls << call;
    }
    QCOMPARE(firedOnCalls, (QList<int>{1, 61, 121, 181, 241}));
    QCOMPARE(call, 249);
    QCOMPARE(enemy.pos, PointF(100.0f, 482.0f));
    QCOMPARE(countOf(manager->tasks, isEnemyBullet), 5);
    auto *first = static_cast<taskEnemyBullet *>(manager->enemyTasks.first());
    QCOMPARE(first->pos, PointF(100.0f, -14.0f));
    QCOMPARE(countOf(manager->tasks, isExplosion), 0); // leaving is quiet
}

void TestEnemies::aimsFromItsPositionAfterTheMove_data()
{
    QTest::addColumn<PointF>("ship");
    QTest::addColumn<PointF>("expected");
    // The enemy starts at (100, 98) and moves to (100, 100) before aiming.
    QTest::newRow("ship level to the right") << PointF(200.0f, 100.0f) << PointF(1.0f, 0.0f);
    QTest::newRow("ship on the enemy: atan2(0, 0) is 0")
        << PointF(100.0f, 100.0f) << PointF(1.0f, 0.0f);
    QTest::newRow("ship level to the left") << PointF(0.0f, 100.0f) << PointF(-1.0f, 0.0f);
    QTest::newRow("ship straight below") << PointF(100.0f, 300.0f) << PointF(0.0f, 1.0f);
    QTest::newRow("ship down-right, 3-4-5") << PointF(130.0f, 140.0f) << PointF(0.6f, 0.8f);
    QTest::newRow("ship up-left, 3-4-5") << PointF(70.0f, 60.0f) << PointF(-0.6f, -0.8f);
}

void TestEnemies::aimsFromItsPositionAfterTheMove()
{
    QFETCH(PointF, ship);
    QFETCH(PointF, expected);
    manager->setMyShipPos(ship);
    taskEnemy1 enemy(PointF(100.0f, 98.0f), 0, PointF(0.0f, 2.0f));

    enemy.oneFrame();
    QCOMPARE(manager->enemyTasks.size(), 1);
    auto *bullet = dynamic_cast<taskEnemyBullet *>(manager->enemyTasks.first());
    QVERIFY(bullet);
    QCOMPARE(bullet->pos, PointF(100.0f, 100.0f));
    QCOMPARE(bullet->acceleration, PointF(0.0f, 0.0f));
    QCOMPARE(bullet->tag, 0);
    // cos and sin are narrowed from double: 1e-6 tells a unit vector's direction
    // apart while allowing cos(pi / 2) to come out as 6e-17.
    QVERIFY2(std::fabs(bullet->velocity.x - expected.x) < 1e-6f &&
                 std::fabs(bullet->velocity.y - expected.y) < 1e-6f,
             pointText(bullet->velocity).constData());
}

void TestEnemies::stillFiresInTheFrameItLeaves()
{
    manager->setMyShipPos(PointF(320.0f, 352.0f));
    taskEnemy1 enemy(PointF(100.0f, 479.0f), 0, PointF(0.0f, 2.0f));

    enemy.oneFrame();
    QVERIFY(enemy.dead);
    QCOMPARE(enemy.fireCounter, 1);
    QCOMPARE(manager->getTaskCount(), 1);
    QCOMPARE(manager->enemyTasks.first()->pos, PointF(100.0f, 481.0f));
}

void TestEnemies::fireCounterWraps()
{
    taskEnemy1 enemy(PointF(100.0f, 100.0f), 0, PointF(0.0f, 0.0f));
    enemy.fireCounter = INT_MAX;

    enemy.oneFrame(); // INT_MAX is not a multiple of 60
    QCOMPARE(enemy.fireCounter, INT_MIN);
    QCOMPARE(manager->getTaskCount(), 0);
    enemy.oneFrame(); // nor is INT_MIN
    QCOMPARE(manager->getTaskCount(), 0);
    enemy.fireCounter = 59;
    enemy.oneFrame();
    QCOMPARE(manager->getTaskCount(), 0);
    enemy.oneFrame();
    QCOMPARE(manager->getTaskCount(), 1);
}

void TestEnemies::bulletMovesWithThePreviousVelocity()
{
    taskEnemyBullet bullet(PointF(100.0f, 50.0f), 0, PointF(0.0f, 0.0f), PointF(0.0f, 1.0f));
    const float ys[] = {50.0f, 51.0f, 53.0f, 56.0f, 60.0f};
    const int cells[] = {1, 2, 3, 0, 1};
    for (int call = 0; call < 5; ++call) {
        bullet.oneFrame();
        QCOMPARE(bullet.pos, PointF(100.0f, ys[call]));
        QCOMPARE(bullet.animFrame, cells[call]);
    }
    QCOMPARE(bullet.velocity, PointF(0.0f, 5.0f));
    QVERIFY(!bullet.dead);

    taskEnemyBullet straight(PointF(0.0f, 0.0f), 0, PointF(0.6f, 0.8f), PointF(0.0f, 0.0f));
    for (int call = 0; call < 3; ++call)
        straight.oneFrame();
    QCOMPARE(straight.pos, PointF(0.6f + 0.6f + 0.6f, 0.8f + 0.8f + 0.8f));
}

void TestEnemies::bulletLeavingTheScreenDiesThatFrame_data()
{
    QTest::addColumn<PointF>("start");
    QTest::addColumn<PointF>("velocity");
    QTest::addColumn<bool>("dead");
    QTest::newRow("onto the bottom edge") << PointF(100.0f, 479.0f) << PointF(0.0f, 1.0f) << false;
    QTest::newRow("past the bottom edge") << PointF(100.0f, 479.5f) << PointF(0.0f, 1.0f) << true;
    QTest::newRow("past the right edge") << PointF(639.5f, 100.0f) << PointF(1.0f, 0.0f) << true;
    QTest::newRow("onto the margin left") << PointF(-63.0f, 100.0f) << PointF(-1.0f, 0.0f) << false;
    QTest::newRow("past the margin left") << PointF(-63.5f, 100.0f) << PointF(-1.0f, 0.0f) << true;
    QTest::newRow("past the margin above") << PointF(100.0f, -63.5f) << PointF(0.0f, -1.0f) << true;
}

void TestEnemies::bulletLeavingTheScreenDiesThatFrame()
{
    QFETCH(PointF, start);
    QFETCH(PointF, velocity);
    QFETCH(bool, dead);
    taskEnemyBullet bullet(start, 0, velocity, PointF(0.0f, 0.0f));
    bullet.oneFrame();
    QCOMPARE(bullet.dead, dead);
    QCOMPARE(bullet.animFrame, 1); // the animation advances all the same
}

void TestEnemies::splittingEnemyFliesStraightAndLeavesQuietly()
{
    taskEnemy2 large(PointF(100.0f, 470.0f), 0, PointF(-2.0f, 2.0f), 0);
    large.oneFrame();
    QCOMPARE(large.pos, PointF(98.0f, 472.0f));
    for (int call = 0; call < 4; ++call)
        large.oneFrame();
    QCOMPARE(large.pos, PointF(90.0f, 480.0f));
    QVERIFY(!large.dead);
    large.oneFrame();
    QVERIFY(large.dead);
    QCOMPARE(TaskManager::inst()->getTaskCount(), 0); // no explosion, no split
}

void TestEnemies::damageRule_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("contactsToDie");
    QTest::addColumn<int>("explosions");
    QTest::addColumn<int>("smallEnemies");
    QTest::newRow("aiming enemy") << "enemy1" << 2 << 1 << 0;
    QTest::newRow("enemy bullet") << "bullet" << 2 << 0 << 0;
    QTest::newRow("large enemy") << "large" << 101 << 8 << 2;
    QTest::newRow("small enemy") << "small" << 41 << 1 << 0;
    QTest::newRow("small enemy of another kind value") << "kind -1" << 41 << 1 << 0;
}

// Each contact deals 1. Dying again in the same pass repeats the whole reaction.
void TestEnemies::damageRule()
{
    QFETCH(QString, kind);
    QFETCH(int, contactsToDie);
    QFETCH(int, explosions);
    QFETCH(int, smallEnemies);
    const PointF pos(200.0f, 150.0f);
    std::unique_ptr<TaskChara> chara;
    if (kind == QLatin1String("enemy1"))
        chara.reset(new taskEnemy1(pos, 0, PointF(0.0f, 2.0f)));
    else if (kind == QLatin1String("bullet"))
        chara.reset(new taskEnemyBullet(pos, 0, PointF(0.0f, 1.0f), PointF(0.0f, 0.0f)));
    else if (kind == QLatin1String("large"))
        chara.reset(new taskEnemy2(pos, 0, PointF(0.0f, 1.0f), 0));
    else if (kind == QLatin1String("small"))
        chara.reset(new taskEnemy2(pos, 0, PointF(0.0f, 1.0f), 1));
    else
        chara.reset(new taskEnemy2(pos, 0, PointF(0.0f, 1.0f), -1));

    for (int contact = 1; contact < contactsToDie; ++contact)
        chara->addDamage(1);
    QVERIFY(!chara->dead);
    QCOMPARE(manager->getTaskCount(), 0);

    chara->addDamage(1);
    QVERIFY(chara->dead);
    QCOMPARE(countOf(manager->tasks, isExplosion), explosions);
    QCOMPARE(countOf(manager->tasks, isSmallEnemy), smallEnemies);
    QCOMPARE(manager->enemyTasks.size(), smallEnemies);
    QCOMPARE(manager->getTaskCount(), explosions + smallEnemies);
    if (explosions == 1)
        QCOMPARE(static_cast<taskExplode *>(manager->tasks.first())->pos, pos);

    chara->addDamage(1);
    QCOMPARE(countOf(manager->tasks, isExplosion), 2 * explosions);
    QCOMPARE(countOf(manager->tasks, isSmallEnemy), 2 * smallEnemies);
}

void TestEnemies::splitDrawsTwentyRandValuesInOrder()
{
    const PointF pos(200.5f, 100.0f);
    taskEnemy2 large(pos, 0, PointF(1.0f, 2.0f), 0);
    large.damage = 100;
    srand(1);
    large.addDamage(1);
    const int next = rand();

    srand(1);
    QCOMPARE(manager->getTaskCount(), 10);
    QCOMPARE_EXPLOSIONS(0, pos); // the explosions come first
    for (int i = 0; i < 2; ++i) {
        const int degrees = rand() % 360;
        const int speed = rand() % 4 + 1;
        const double radians = double(degrees) * (3.14159 / 180);
        const PointF velocity(float(std::cos(radians) * speed), float(std::sin(radians) * speed));
        auto *small = dynamic_cast<taskEnemy2 *>(manager->tasks.at(8 + i));
        QVERIFY(small);
        QCOMPARE(manager->enemyTasks.at(i), small);
        QCOMPARE(small->kind, 1);
        QCOMPARE(small->hp, 40);
        QCOMPARE(small->hitWidth, 48);
        QCOMPARE(small->pos, pos);
        QCOMPARE(small->velocity, velocity);
    }
    QCOMPARE(next, rand()); // exactly twenty calls
}

void TestEnemies::splitAtNinetyDegreesUsesTheGamesOwnPi()
{
    // Find where in rand()'s sequence a split's first small enemy would draw
    // 90 degrees at speed 3, then split there.
    srand(1);
    std::vector<int> values(30000);
    for (int &value : values)
        value = rand();
    int skip = -1;
    for (int k = 0; k + 17 < int(values.size()) && skip < 0; ++k)
        if (values[k + 16] % 360 == 90 && values[k + 17] % 4 + 1 == 3)
            skip = k;
    QVERIFY(skip >= 0);
    srand(1);
    for (int k = 0; k < skip; ++k)
        rand();

    taskEnemy2 large(PointF(300.0f, 200.0f), 0, PointF(0.0f, 1.0f), 0);
    large.addDamage(101);
    auto *small = static_cast<taskEnemy2 *>(TaskManager::inst()->enemyTasks.first());
    // 3.14159 / 180 is a little short of pi / 180: cos comes out 1.3268e-6, not 0.
    QVERIFY2(std::fabs(small->velocity.x - 3.98038e-6f) < 1e-10f,
             pointText(small->velocity).constData());
    QCOMPARE(small->velocity.y, 3.0f);
}

void TestEnemies::drawsItsRegion_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("animFrame");
    QTest::addColumn<PointF>("pos");
    QTest::addColumn<QPoint>("source");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("centre");
    QTest::newRow("aiming enemy, halves rounded up")
        << "enemy1" << 0 << PointF(100.5f, -2.5f) << QPoint(128, 32) << QSize(32, 32)
        << QPoint(101, -2);
    for (int cell = 0; cell < 4; ++cell)
        QTest::addRow("enemy bullet cell %d", cell)
            << "bullet" << cell << PointF(300.4f, 200.6f) << QPoint(16 * cell, 64) << QSize(16, 16)
            << QPoint(300, 201);
    QTest::newRow("large enemy") << "large" << 0 << PointF(320.0f, -16.0f) << QPoint(32, 96)
                                 << QSize(96, 64) << QPoint(320, -16);
    QTest::newRow("small enemy") << "small" << 0 << PointF(10.0f, 470.0f) << QPoint(128, 96)
                                 << QSize(64, 64) << QPoint(10, 470);
}

void TestEnemies::drawsItsRegion()
{
    QFETCH(QString, kind);
    QFETCH(int, animFrame);
    QFETCH(PointF, pos);
    QFETCH(QPoint, source);
    QFETCH(QSize, size);
    QFETCH(QPoint, centre);
    std::unique_ptr<Task> task;
    if (kind == QLatin1String("enemy1")) {
        task.reset(new taskEnemy1(pos, 0, PointF(0.0f, 2.0f)));
    } else if (kind == QLatin1String("bullet")) {
        auto *bullet = new taskEnemyBullet(pos, 0, PointF(0.0f, 1.0f), PointF(0.0f, 0.0f));
        bullet->animFrame = animFrame;
        task.reset(bullet);
    } else {
        task.reset(
            new taskEnemy2(pos, 0, PointF(0.0f, 1.0f), kind == QLatin1String("large") ? 0 : 1));
    }
    QCOMPARE(spriteDrawn(paintTask(task.get())), spriteAt(source, size, centre));
}

QTEST_MAIN(TestEnemies)
#include "tst_enemies.moc"
