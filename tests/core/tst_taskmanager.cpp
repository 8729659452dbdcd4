#include <QtTest>
#include <functional>

#include "taskchara.h"
#include "testsupport.h"

namespace {
// What the fake tasks did, in order: "name.update", "name.render", "name.hit",
// "name.deleted".
QStringList events;
int deletedCount = 0;

// Records what the manager does to a task of kind `Base` under its name;
// `action` runs on each update.
template <typename Base> class Recording : public Base {
public:
    template <typename... Args>
    explicit Recording(const QString &name, Args &&...args)
        : Base(std::forward<Args>(args)...), name(name)
    {
    }
    ~Recording() override
    {
        ++deletedCount;
        events << name + ".deleted";
    }
    void oneFrame() override
    {
        ++updates;
        events << name + ".update";
        if (action)
            action();
    }
    void render(QPainter *) override { events << name + ".render"; }

    QString name;
    std::function<void()> action;
    int updates = 0;
};

class FakeTask : public Recording<Task> {
public:
    explicit FakeTask(const QString &name, std::function<void()> action = {})
        : Recording<Task>(name, 0)
    {
        this->action = std::move(action);
    }
};

// A character with the given hit box; `onHit` runs after each contact.
class FakeChara : public Recording<TaskChara> {
public:
    FakeChara(const QString &name, PointF pos, int width, int height, bool isBullet = false)
        : Recording<TaskChara>(name, pos, 0, isBullet)
    {
        hitWidth = width;
        hitHeight = height;
        hp = 1000;
        attack = 1;
    }
    void addDamage(int amount) override
    {
        damage += amount;
        events << name + ".hit";
        if (onHit)
            onHit();
    }

    std::function<void()> onHit;
};

QStringList only(const QString &suffix)
{
    QStringList result;
    for (const QString &event : std::as_const(events))
        if (event.endsWith(suffix))
            result << event;
    return result;
}
} // namespace

// The frame of the task manager: update, collision check, deletion, drawing.
class TestTaskManager : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanupTestCase();

    void emptyManager();
    void taskAddedDuringUpdate();
    void contact_data();
    void contact();
    void contactDamagesEnemyFirst();
    void deadCharactersStillCollide();
    void charactersAddedDuringUpdateCollide();
    void enemiesAddedDuringCheck();
    void sidesVisitedInInsertionOrder();
    void deletion_data();
    void deletion();
    void deadTaskAddedDuringFrame();
    void deadCharactersLeaveTheirSides();
    void destructorDeletesInListOrder();

private:
    TaskManager *manager = nullptr;
};

void TestTaskManager::init()
{
    resetManager();
    manager = TaskManager::inst();
    events.clear();
    deletedCount = 0;
}

void TestTaskManager::cleanupTestCase()
{
    resetManager();
}

void TestTaskManager::emptyManager()
{
    TaskManager fresh;
    QCOMPARE(fresh.getMyShipPos(), PointF(0.0f, 0.0f));
    fresh.oneFrame();
    QImage image = blankScreen();
    QPainter painter(&image);
    fresh.render(&painter);
    QCOMPARE(fresh.getTaskCount(), 0);
    fresh.setMyShipPos(PointF(320.0f, 352.0f));
    QCOMPARE(fresh.getMyShipPos(), PointF(320.0f, 352.0f));
}

void TestTaskManager::taskAddedDuringUpdate()
{
    FakeTask *added = nullptr;
    auto *spawner = new FakeTask(QStringLiteral("spawner"), [&added] {
        if (!added) {
            added = new FakeTask(QStringLiteral("added"));
            TaskManager::inst()->addTask(added);
        }
    });
    manager->addTask(spawner);
    manager->addTask(new FakeTask(QStringLiteral("after")));

    manager->oneFrame();
    QVERIFY(added);
    QCOMPARE(added->updates, 0);
    manager->render(nullptr);
    QCOMPARE(events, QStringList({"spawner.update", "after.update", "spawner.render",
                                  "after.render", "added.render"}));

    manager->oneFrame();
    QCOMPARE(added->updates, 1);
    QCOMPARE(manager->getTaskCount(), 3);
}

void TestTaskManager::contact_data()
{
    QTest::addColumn<int>("aWidth");
    QTest::addColumn<int>("aHeight");
    QTest::addColumn<bool>("aBullet");
    QTest::addColumn<int>("bWidth");
    QTest::addColumn<int>("bHeight");
    QTest::addColumn<bool>("bBullet");
    QTest::addColumn<float>("dx");
    QTest::addColumn<float>("dy");
    QTest::addColumn<bool>("contact");

    // Ship 8x8 against aiming enemy 20x20: half sizes 14.
    QTest::newRow("ship, enemy touching at dx 14")
        << 8 << 8 << false << 20 << 20 << false << 14.0f << 0.0f << true;
    QTest::newRow("ship, enemy apart at dx 14.01")
        << 8 << 8 << false << 20 << 20 << false << 14.01f << 0.0f << false;
    QTest::newRow("ship, enemy touching at dx -14")
        << 8 << 8 << false << 20 << 20 << false << -14.0f << 0.0f << true;
    QTest::newRow("ship, enemy touching at corner 14,14")
        << 8 << 8 << false << 20 << 20 << false << 14.0f << -14.0f << true;
    QTest::newRow("ship, enemy apart at dy 14.01")
        << 8 << 8 << false << 20 << 20 << false << 0.0f << 14.01f << false;
    // Shot 32x16 against large enemy 80x48: hw 56, hh 32.
    QTest::newRow("shot, large enemy touching at 56,32")
        << 32 << 16 << true << 80 << 48 << false << 56.0f << 32.0f << true;
    QTest::newRow("shot, large enemy apart at dx 56.5")
        << 32 << 16 << true << 80 << 48 << false << 56.5f << 0.0f << false;
    QTest::newRow("shot, large enemy apart at dy 32.5")
        << 32 << 16 << true << 80 << 48 << false << 0.0f << 32.5f << false;
    // Ship 8x8 against enemy bullet 12x12: half sizes 10.
    QTest::newRow("ship, enemy bullet touching at 10")
        << 8 << 8 << false << 12 << 12 << true << -10.0f << 10.0f << true;
    QTest::newRow("ship, enemy bullet apart at 10.5")
        << 8 << 8 << false << 12 << 12 << true << 10.5f << 0.0f << false;
    // 9 + 20 = 29: half of it, 14.5, rounds up to 15.
    QTest::newRow("odd sum rounds half up: touching at 15")
        << 9 << 9 << false << 20 << 20 << false << 15.0f << 15.0f << true;
    QTest::newRow("odd sum rounds half up: apart at 15.01")
        << 9 << 9 << false << 20 << 20 << false << 15.01f << 0.0f << false;
    // -1 + 0 = -1: half of it, -0.5, rounds up to 0, so equal centres touch.
    QTest::newRow("negative odd sum rounds up to 0")
        << -1 << -1 << false << 0 << 0 << false << 0.0f << 0.0f << true;
    QTest::newRow("unset hit boxes never touch")
        << -1 << -1 << false << -1 << -1 << false << 0.0f << 0.0f << false;
    QTest::newRow("shot and enemy bullet never collide")
        << 32 << 16 << true << 12 << 12 << true << 0.0f << 0.0f << false;
}

void TestTaskManager::contact()
{
    QFETCH(int, aWidth);
    QFETCH(int, aHeight);
    QFETCH(bool, aBullet);
    QFETCH(int, bWidth);
    QFETCH(int, bHeight);
    QFETCH(bool, bBullet);
    QFETCH(float, dx);
    QFETCH(float, dy);
    QFETCH(bool, contact);

    auto *a = new FakeChara(QStringLiteral("a"), PointF(100.0f, 100.0f), aWidth, aHeight, aBullet);
    auto *b = new FakeChara(QStringLiteral("b"), PointF(100.0f + dx, 100.0f + dy), bWidth, bHeight,
                            bBullet);
    manager->addMyTask(a);
    manager->addEnemyTask(b);
    manager->collisionCheck();
    QCOMPARE(a->damage, contact ? 1 : 0);
    QCOMPARE(b->damage, contact ? 1 : 0);
}

void TestTaskManager::contactDamagesEnemyFirst()
{
    auto *ship = new FakeChara(QStringLiteral("ship"), PointF(50.0f, 50.0f), 8, 8);
    auto *enemy = new FakeChara(QStringLiteral("enemy"), PointF(52.0f, 48.0f), 20, 20);
    ship->attack = 3;
    enemy->attack = 5;
    manager->addMyTask(ship);
    manager->addEnemyTask(enemy);
    manager->oneFrame();
    QCOMPARE(only(".hit"), QStringList({"enemy.hit", "ship.hit"}));
    QCOMPARE(enemy->damage, 3);
    QCOMPARE(ship->damage, 5);
}

// A bullet that left the screen and died in the update pass still hits.
void TestTaskManager::deadCharactersStillCollide()
{
    auto *shot = new FakeChara(QStringLiteral("shot"), PointF(100.0f, -60.0f), 32, 16, true);
    shot->action = [shot] {
        shot->pos.y -= 8.0f;
        shot->dead = shot->isOutOfScreen();
    };
    auto *enemy = new FakeChara(QStringLiteral("enemy"), PointF(100.0f, -70.0f), 20, 20);
    enemy->action = [enemy] { enemy->dead = true; };
    manager->addMyTask(shot);
    manager->addEnemyTask(enemy);
    manager->oneFrame();
    QCOMPARE(only(".hit"), QStringList({"enemy.hit", "shot.hit"}));
    QCOMPARE(deletedCount, 2);
    QCOMPARE(manager->getTaskCount(), 0);
}

void TestTaskManager::charactersAddedDuringUpdateCollide()
{
    FakeChara *bullet = nullptr;
    FakeChara *shot = nullptr;
    auto *spawner = new FakeTask(QStringLiteral("spawner"), [&] {
        bullet = new FakeChara(QStringLiteral("bullet"), PointF(10.0f, 10.0f), 12, 12, true);
        TaskManager::inst()->addEnemyTask(bullet);
        shot = new FakeChara(QStringLiteral("shot"), PointF(300.0f, 300.0f), 32, 16, true);
        TaskManager::inst()->addMyTask(shot);
    });
    auto *ship = new FakeChara(QStringLiteral("ship"), PointF(15.0f, 15.0f), 8, 8);
    auto *enemy = new FakeChara(QStringLiteral("enemy"), PointF(310.0f, 290.0f), 20, 20);
    manager->addTask(spawner);
    manager->addMyTask(ship);
    manager->addEnemyTask(enemy);
    manager->oneFrame();
    QCOMPARE(bullet->updates, 0);
    QCOMPARE(bullet->damage, 1);
    QCOMPARE(ship->damage, 1);
    QCOMPARE(shot->damage, 1);
    QCOMPARE(enemy->damage, 1);
}

// A large enemy splits on its first hit; the new enemy is met by the player
// characters visited later in the same check, not by the current one.
void TestTaskManager::enemiesAddedDuringCheck()
{
    const PointF here(200.0f, 200.0f);
    auto *first = new FakeChara(QStringLiteral("first"), here, 8, 8);
    auto *second = new FakeChara(QStringLiteral("second"), here, 8, 8);
    auto *large = new FakeChara(QStringLiteral("large"), here, 80, 48);
    large->onHit = [large, here] {
        if (large->damage == 1)
            TaskManager::inst()->addEnemyTask(new FakeChara(QStringLiteral("small"), here, 48, 48));
    };
    manager->addMyTask(first);
    manager->addMyTask(second);
    manager->addEnemyTask(large);
    manager->collisionCheck();
    QCOMPARE(only(".hit"), QStringList({"large.hit", "first.hit", "large.hit", "second.hit",
                                        "small.hit", "second.hit"}));
    QCOMPARE(manager->enemyTasks.size(), 2);
    QCOMPARE(manager->getTaskCount(), 4);
}

void TestTaskManager::sidesVisitedInInsertionOrder()
{
    const QStringList mine = {"m3", "m1", "m2"};
    const QStringList enemies = {"e2", "e4", "e1", "e3"};
    for (const QString &name : mine)
        manager->addMyTask(new FakeChara(name, PointF(0.0f, 0.0f), 8, 8));
    for (const QString &name : enemies) {
        auto *enemy = new FakeChara(name, PointF(0.0f, 0.0f), 8, 8);
        // Record the pair: the player side's hit follows the enemy's.
        enemy->onHit = [name] { events << "pair " + name; };
        manager->addEnemyTask(enemy);
    }
    manager->collisionCheck();

    QStringList expected;
    for (const QString &m : mine)
        for (const QString &e : enemies)
            expected << e + ".hit"
                     << "pair " + e << m + ".hit";
    QCOMPARE(events, expected);
}

void TestTaskManager::deletion_data()
{
    // One task per letter; upper case ones die in this frame.
    QTest::addColumn<QString>("tasks");
    QTest::addColumn<QString>("survivors");
    QTest::newRow("none dead") << QStringLiteral("abc") << QStringLiteral("abc");
    QTest::newRow("all dead") << QStringLiteral("ABC") << QStringLiteral("");
    QTest::newRow("first dead") << QStringLiteral("Abc") << QStringLiteral("bc");
    QTest::newRow("last dead") << QStringLiteral("abC") << QStringLiteral("ab");
    QTest::newRow("two adjacent dead, then a live one")
        << QStringLiteral("aBCd") << QStringLiteral("ad");
    QTest::newRow("three adjacent dead at the front")
        << QStringLiteral("ABCde") << QStringLiteral("de");
    QTest::newRow("alternating") << QStringLiteral("aBcDeF") << QStringLiteral("ace");
}

void TestTaskManager::deletion()
{
    QFETCH(QString, tasks);
    QFETCH(QString, survivors);
    for (int i = 0; i < tasks.size(); ++i) {
        const bool dies = tasks.at(i).isUpper();
        const QString name(tasks.at(i).toLower());
        // Plain tasks and characters of both sides, mixed.
        if (i % 3 == 0) {
            auto *task = new FakeTask(name);
            task->action = [task, dies] { task->dead = dies; };
            manager->addTask(task);
            continue;
        }
        auto *chara = new FakeChara(name, PointF(100.0f * float(i), 0.0f), 8, 8);
        chara->action = [chara, dies] { chara->dead = dies; };
        if (i % 3 == 1)
            manager->addMyTask(chara);
        else
            manager->addEnemyTask(chara);
    }
    manager->oneFrame();

    QString names;
    for (Task *task : std::as_const(manager->tasks)) {
        auto *fake = dynamic_cast<FakeTask *>(task);
        auto *chara = dynamic_cast<FakeChara *>(task);
        names += fake ? fake->name : chara->name;
    }
    QCOMPARE(names, survivors);
    QCOMPARE(deletedCount, int(tasks.size() - survivors.size()));
    for (TaskChara *chara : std::as_const(manager->myTasks))
        QVERIFY(!chara->dead);
    for (TaskChara *chara : std::as_const(manager->enemyTasks))
        QVERIFY(!chara->dead);
}

void TestTaskManager::deadTaskAddedDuringFrame()
{
    manager->addTask(new FakeTask(QStringLiteral("spawner"), [] {
        auto *stillborn = new FakeTask(QStringLiteral("stillborn"));
        stillborn->dead = true;
        TaskManager::inst()->addTask(stillborn);
        TaskManager::inst()->addTask(new FakeTask(QStringLiteral("kept")));
    }));
    manager->oneFrame();
    QCOMPARE(deletedCount, 1);
    QCOMPARE(manager->getTaskCount(), 2);
    manager->render(nullptr);
    QCOMPARE(only(".render"), QStringList({"spawner.render", "kept.render"}));
}

void TestTaskManager::deadCharactersLeaveTheirSides()
{
    auto *ship = new FakeChara(QStringLiteral("ship"), PointF(0.0f, 0.0f), 8, 8);
    auto *enemy = new FakeChara(QStringLiteral("enemy"), PointF(0.0f, 0.0f), 20, 20);
    auto *survivor = new FakeChara(QStringLiteral("survivor"), PointF(0.0f, 0.0f), 20, 20);
    ship->action = [ship] { ship->dead = true; };
    enemy->action = [enemy] { enemy->dead = true; };
    manager->addMyTask(ship);
    manager->addEnemyTask(enemy);
    manager->addEnemyTask(survivor);
    manager->oneFrame();
    QVERIFY(manager->myTasks.isEmpty());
    QCOMPARE(manager->enemyTasks, QList<TaskChara *>({survivor}));

    auto *newShip = new FakeChara(QStringLiteral("newShip"), PointF(0.0f, 0.0f), 8, 8);
    manager->addMyTask(newShip);
    events.clear();
    manager->collisionCheck();
    QCOMPARE(only(".hit"), QStringList({"survivor.hit", "newShip.hit"}));
}

void TestTaskManager::destructorDeletesInListOrder()
{
    {
        TaskManager local;
        local.addTask(new FakeTask(QStringLiteral("first")));
        local.addEnemyTask(new FakeChara(QStringLiteral("second"), PointF(), 8, 8));
        local.addMyTask(new FakeChara(QStringLiteral("third"), PointF(), 8, 8));
    }
    QCOMPARE(events, QStringList({"first.deleted", "second.deleted", "third.deleted"}));
    QCOMPARE(deletedCount, 3);
}

QTEST_GUILESS_MAIN(TestTaskManager)
#include "tst_taskmanager.moc"
