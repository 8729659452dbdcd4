#include <QtTest>
#include <climits>
#include <memory>

#include "taskbg.h"
#include "taskenemy1.h"
#include "taskenemy2.h"
#include "taskexplode.h"
#include "taskmain.h"
#include "taskmybullet.h"
#include "taskmyship.h"
#include "spritesheet.h"
#include "testsupport.h"

// The scene director, the starfield, explosions, the player's shot and the
// start of the whole game.
class TestScene : public TaskTest {
    Q_OBJECT

private slots:
    void gameStartsWithStarfieldShipDirector();
    void firstFrameDrawsStarWrapsBeforeTheDirector();
    void directorLaunchesOnMultiplesOfTenAndTwenty();
    void directorPutsEachRandValueInItsField();
    void directorCounterWraps();
    void starfieldTakesThreeHundredValues();
    void starWraps_data();
    void starWraps();
    void starWrapsDrawInIndexOrder();
    void starfieldFillsTheScreenBlack();
    void starfieldOutlineInThePen_data();
    void starfieldOutlineInThePen();
    void starShiftsWithTheShip_data();
    void starShiftsWithTheShip();
    void explosionPlaysTwelveFrames();
    void shotLeavesTheScreenOnItsTwentySeventhMove();
    void shotDiesAtTheSecondContact();
    void drawsItsRegion_data();
    void drawsItsRegion();

private:
    static taskBG *starfieldOf(const QList<Star> &stars);
};

taskBG *TestScene::starfieldOf(const QList<Star> &stars)
{
    auto *bg = new taskBG(0);
    bg->stars.clear();
    for (const Star &star : stars)
        bg->stars.append(star);
    return bg;
}

namespace {
Star star(PointF pos, float speed)
{
    Star s;
    s.pos = pos;
    s.velocity = PointF(0.0f, speed);
    return s;
}

QString kindOf(Task *task)
{
    if (dynamic_cast<taskBG *>(task))
        return QStringLiteral("taskBG");
    if (dynamic_cast<taskMyShip *>(task))
        return QStringLiteral("taskMyShip");
    if (dynamic_cast<taskMain *>(task))
        return QStringLiteral("taskMain");
    if (dynamic_cast<taskEnemy1 *>(task))
        return QStringLiteral("taskEnemy1");
    if (dynamic_cast<taskEnemy2 *>(task))
        return QStringLiteral("taskEnemy2");
    return QStringLiteral("other");
}

// The kinds of the manager's tasks from index `from` on, in list order.
QStringList kindsFrom(int from)
{
    QStringList kinds;
    const QList<Task *> &tasks = TaskManager::inst()->tasks;
    for (int i = from; i < tasks.size(); ++i)
        kinds << kindOf(tasks.at(i));
    return kinds;
}
} // namespace

void TestScene::gameStartsWithStarfieldShipDirector()
{
    Texture::inst()->deleteTexture(SpriteSheet::name());
    auto *director = new taskMain;
    manager->addTask(director);

    QVERIFY(Texture::inst()->findTexture(SpriteSheet::name()));
    QCOMPARE(kindsFrom(0), (QStringList{"taskBG", "taskMyShip", "taskMain"}));
    QCOMPARE(manager->getTaskCount(), 3);
    QCOMPARE(manager->myTasks.size(), 1);
    QCOMPARE(manager->myTasks.first(), manager->tasks.at(1));
    QCOMPARE(manager->myTasks.first()->pos, PointF(320.0f, 480.0f));
    QCOMPARE(manager->enemyTasks.size(), 0);
    QCOMPARE(director->counter, 0);

    manager->oneFrame();
    QCOMPARE(kindsFrom(0),
             (QStringList{"taskBG", "taskMyShip", "taskMain", "taskEnemy1", "taskEnemy2"}));
    QCOMPARE(manager->enemyTasks.size(), 2);
    QCOMPARE(manager->enemyTasks.at(0), manager->tasks.at(3));
    QCOMPARE(manager->enemyTasks.at(1), manager->tasks.at(4));
    QCOMPARE(director->counter, 1);
}

void TestScene::firstFrameDrawsStarWrapsBeforeTheDirector()
{
    manager->addTask(new taskMain);
    auto *bg = static_cast<taskBG *>(manager->tasks.first());
    for (Star &s : bg->stars)
        s.pos.y = 0.0f;
    bg->stars[70].pos.y = 478.0f; // speeds 1 to 4: these two wrap, in index order
    bg->stars[70].velocity.y = 3.0f;
    bg->stars[5].pos.y = 479.0f;
    bg->stars[5].velocity.y = 4.0f;
    srand(1);
    manager->oneFrame();

    srand(1);
    QCOMPARE(bg->stars.at(5).pos.x, float(rand() % 1280 - 320));
    QCOMPARE(bg->stars.at(70).pos.x, float(rand() % 1280 - 320));
    const float x1 = float(rand() % 640);
    const float x2 = float(rand() % 640);
    const float vx = float(rand() % 4 - 2);
    const float vy = float(rand() % 2 + 1);
    QCOMPARE(manager->enemyTasks.at(0)->pos, PointF(x1, -16.0f));
    QCOMPARE(manager->enemyTasks.at(1)->pos, PointF(x2, -16.0f));
    QCOMPARE(static_cast<taskEnemy2 *>(manager->enemyTasks.at(1))->velocity, PointF(vx, vy));
}

void TestScene::directorLaunchesOnMultiplesOfTenAndTwenty()
{
    taskMain director;
    resetManager(); // only the director's launches are watched
    QStringList launches;
    for (int frame = 0; frame <= 40; ++frame) {
        const int before = TaskManager::inst()->getTaskCount();
        director.oneFrame();
        for (const QString &kind : kindsFrom(before))
            launches << QStringLiteral("%1 %2").arg(frame).arg(kind);
    }
    QCOMPARE(launches,
             (QStringList{"0 taskEnemy1", "0 taskEnemy2", "10 taskEnemy1", "20 taskEnemy1",
                          "20 taskEnemy2", "30 taskEnemy1", "40 taskEnemy1", "40 taskEnemy2"}));
    QCOMPARE(TaskManager::inst()->enemyTasks.size(), 8);
}

void TestScene::directorPutsEachRandValueInItsField()
{
    taskMain director;
    resetManager();
    srand(1);
    for (int frame = 0; frame < 100; ++frame)
        director.oneFrame();

    srand(1);
    const QList<TaskChara *> &enemies = TaskManager::inst()->enemyTasks;
    QCOMPARE(enemies.size(), 15);
    int index = 0;
    for (int frame = 0; frame < 100; frame += 10) {
        auto *small = dynamic_cast<taskEnemy1 *>(enemies.at(index++));
        QVERIFY(small);
        QCOMPARE(small->pos, PointF(float(rand() % 640), -16.0f));
        QCOMPARE(small->velocity, PointF(0.0f, 2.0f));
        if (frame % 20 != 0)
            continue;
        auto *large = dynamic_cast<taskEnemy2 *>(enemies.at(index++));
        QVERIFY(large);
        const int x = rand() % 640;
        const int vx = rand() % 4 - 2;
        const int vy = rand() % 2 + 1;
        QCOMPARE(large->pos, PointF(float(x), -16.0f));
        QCOMPARE(large->velocity, PointF(float(vx), float(vy)));
        QCOMPARE(large->kind, 0);
        QCOMPARE(large->tag, 0);
    }
}

void TestScene::directorCounterWraps()
{
    taskMain director;
    resetManager();
    director.counter = INT_MAX;
    director.oneFrame(); // INT_MAX is no multiple of 10
    QCOMPARE(director.counter, INT_MIN);
    QCOMPARE(TaskManager::inst()->getTaskCount(), 0);
}

void TestScene::starfieldTakesThreeHundredValues()
{
    taskBG bg(0);
    const int next = rand();

    srand(1);
    QCOMPARE(bg.stars.size(), 100);
    for (const Star &s : std::as_const(bg.stars)) {
        const int x = rand() % 1280 - 320;
        const int y = rand() % 480;
        const int speed = rand() % 4 + 1;
        QCOMPARE(s.pos, PointF(float(x), float(y)));
        QCOMPARE(s.velocity, PointF(0.0f, float(speed)));
    }
    QCOMPARE(next, rand());
}

void TestScene::starWraps_data()
{
    QTest::addColumn<float>("y");
    QTest::addColumn<float>("speed");
    QTest::addColumn<float>("expectedY");
    QTest::addColumn<bool>("wraps");
    QTest::newRow("speed 4 from 479 wraps to exactly 0") << 479.0f << 4.0f << 0.0f << true;
    QTest::newRow("reaching exactly 480 does not wrap yet") << 476.0f << 4.0f << 480.0f << false;
    QTest::newRow("from 480 wraps the frame after") << 480.0f << 1.0f << 0.0f << true;
    QTest::newRow("falling mid-screen") << 100.0f << 3.0f << 103.0f << false;
}

void TestScene::starWraps()
{
    QFETCH(float, y);
    QFETCH(float, speed);
    QFETCH(float, expectedY);
    QFETCH(bool, wraps);
    std::unique_ptr<taskBG> bg(starfieldOf({star(PointF(100.0f, y), speed)}));
    srand(1);
    const int first = rand();
    const int second = rand();
    srand(1);

    bg->oneFrame();
    const Star &s = bg->stars.first();
    QCOMPARE(s.pos, PointF(wraps ? float(first % 1280 - 320) : 100.0f, expectedY));
    QCOMPARE(s.velocity, PointF(0.0f, speed));
    QCOMPARE(rand(), wraps ? second : first);
}

void TestScene::starWrapsDrawInIndexOrder()
{
    std::unique_ptr<taskBG> bg(
        starfieldOf({star(PointF(10.0f, 479.0f), 4.0f), star(PointF(20.0f, 100.0f), 1.0f),
                     star(PointF(30.0f, 478.0f), 3.0f)}));
    srand(1);
    bg->oneFrame();
    srand(1);
    QCOMPARE(bg->stars.at(0).pos, PointF(float(rand() % 1280 - 320), 0.0f));
    QCOMPARE(bg->stars.at(1).pos, PointF(20.0f, 101.0f));
    QCOMPARE(bg->stars.at(2).pos, PointF(float(rand() % 1280 - 320), 0.0f));
}

void TestScene::starfieldFillsTheScreenBlack()
{
    std::unique_ptr<taskBG> bg(starfieldOf({}));
    QImage screen = blankScreen();
    screen.fill(Qt::white);
    {
        QPainter painter(&screen);
        bg->render(&painter);
    }
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (screen.pixel(x, y) != qRgb(0, 0, 0))
                QFAIL(qPrintable(QStringLiteral("(%1, %2) is not black").arg(x).arg(y)));
}

// The black screen is a rectangle drawn in the painter's pen: its outline runs
// along the top row and left column, and one pixel past the right and bottom
// edges, where a larger surface shows it.
void TestScene::starfieldOutlineInThePen_data()
{
    QTest::addColumn<QPen>("pen");
    QTest::addColumn<QSize>("surface");
    QTest::addColumn<QRgb>("topLeft");
    QTest::addColumn<QRgb>("pastRightEdge");

    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255), red = qRgb(255, 0, 0);
    QTest::newRow("black pen on the window's 640x480: all black")
        << QPen(Qt::black) << QSize(640, 480) << black << white;
    QTest::newRow("red pen: red top row and left column")
        << QPen(Qt::red) << QSize(640, 480) << red << white;
    QTest::newRow("black pen on a larger surface: black past the right edge")
        << QPen(Qt::black) << QSize(660, 500) << black << black;
    QTest::newRow("red pen on a larger surface: red past the right edge")
        << QPen(Qt::red) << QSize(660, 500) << red << red;
    QTest::newRow("no pen on a larger surface: nothing past the right edge")
        << QPen(Qt::NoPen) << QSize(660, 500) << black << white;
}

void TestScene::starfieldOutlineInThePen()
{
    QFETCH(QPen, pen);
    QFETCH(QSize, surface);
    QFETCH(QRgb, topLeft);
    QFETCH(QRgb, pastRightEdge);

    std::unique_ptr<taskBG> bg(starfieldOf({}));
    QImage screen(surface, QImage::Format_ARGB32_Premultiplied);
    screen.fill(Qt::white);
    {
        QPainter painter(&screen);
        painter.setPen(pen);
        bg->render(&painter);
    }
    QCOMPARE(screen.pixel(0, 0), topLeft);
    QCOMPARE(screen.pixel(0, 479), topLeft);
    QCOMPARE(screen.pixel(639, 0), topLeft);
    QCOMPARE(screen.pixel(1, 1), qRgb(0, 0, 0));
    QCOMPARE(screen.pixel(639, 479), qRgb(0, 0, 0));
    if (surface.width() > 640) {
        QCOMPARE(screen.pixel(640, 100), pastRightEdge);
        QCOMPARE(screen.pixel(100, 480), pastRightEdge);
        QCOMPARE(screen.pixel(641, 100), qRgb(255, 255, 255));
    }
}

void TestScene::starShiftsWithTheShip_data()
{
    QTest::addColumn<PointF>("pos");
    QTest::addColumn<float>("speed");
    QTest::addColumn<PointF>("ship");
    QTest::addColumn<QPoint>("centre");
    QTest::newRow("ship not reported yet, speed 1: 64 to the right")
        << PointF(100.0f, 200.0f) << 1.0f << PointF(0.0f, 0.0f) << QPoint(164, 200);
    QTest::newRow("ship not reported yet, speed 4: 256 to the right")
        << PointF(100.0f, 200.0f) << 4.0f << PointF(0.0f, 0.0f) << QPoint(356, 200);
    QTest::newRow("ship at the start x, speed 2")
        << PointF(100.0f, 200.0f) << 2.0f << PointF(320.0f, 352.0f) << QPoint(164, 200);
    QTest::newRow("ship at the right edge: no shift")
        << PointF(100.0f, 200.0f) << 3.0f << PointF(640.0f, 100.0f) << QPoint(100, 200);
    QTest::newRow("position rounded half up before the shift")
        << PointF(-2.5f, 200.5f) << 1.0f << PointF(640.0f, 0.0f) << QPoint(-2, 201);
    QTest::newRow("138.7 truncated to 138")
        << PointF(100.0f, 200.0f) << 3.0f << PointF(511.0f, 352.0f) << QPoint(138, 200);
    QTest::newRow("-10.7 truncated toward zero to -10")
        << PointF(-50.0f, 200.0f) << 3.0f << PointF(509.0f, 352.0f) << QPoint(-10, 200);
}

void TestScene::starShiftsWithTheShip()
{
    QFETCH(PointF, pos);
    QFETCH(float, speed);
    QFETCH(PointF, ship);
    QFETCH(QPoint, centre);
    std::unique_ptr<taskBG> bg(starfieldOf({star(pos, speed)}));
    TaskManager::inst()->setMyShipPos(ship);

    QCOMPARE(spriteDrawn(paintTask(bg.get())), spriteAt(QPoint(0, 32), QSize(16, 16), centre));
    QCOMPARE(bg->stars.first().pos, pos); // the shift is for drawing only
}

void TestScene::explosionPlaysTwelveFrames()
{
    auto *explosion = new taskExplode(PointF(10.5f, 20.0f), 0);
    manager->addTask(explosion);
    const int cells[] = {0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4};
    for (int call = 1; call <= 12; ++call) {
        manager->updatePass();
        QCOMPARE(explosion->animFrame, cells[call - 1]);
        QCOMPARE(explosion->dead, call == 12);
        QCOMPARE(explosion->pos, PointF(10.5f, 20.0f));
        if (call < 12)
            manager->deletionPass();
    }
    // The sheet has no cell 4: painted before its deletion, it shows nothing.
    QCOMPARE(spriteDrawn(paintTask(explosion)), QStringLiteral("nothing"));
    manager->deletionPass();
    QCOMPARE(manager->getTaskCount(), 0);
}

void TestScene::shotLeavesTheScreenOnItsTwentySeventhMove()
{
    taskMyBullet shot(PointF(320.0f, 352.0f), 0);
    shot.oneFrame();
    QCOMPARE(shot.pos, PointF(320.0f, 336.0f));
    for (int move = 2; move <= 26; ++move)
        shot.oneFrame();
    QCOMPARE(shot.pos, PointF(320.0f, -64.0f));
    QVERIFY(!shot.dead);
    shot.oneFrame();
    QCOMPARE(shot.pos, PointF(320.0f, -80.0f));
    QVERIFY(shot.dead);
}

void TestScene::shotDiesAtTheSecondContact()
{
    taskMyBullet shot(PointF(320.0f, 200.0f), 0);
    shot.addDamage(1);
    QVERIFY(!shot.dead);
    shot.addDamage(1);
    QVERIFY(shot.dead);
    QCOMPARE(TaskManager::inst()->getTaskCount(), 0); // no explosion
}

void TestScene::drawsItsRegion_data()
{
    QTest::addColumn<bool>("isShot");
    QTest::addColumn<int>("animFrame");
    QTest::addColumn<QPoint>("source");
    QTest::addColumn<QSize>("size");
    QTest::newRow("player shot") << true << 0 << QPoint(0, 0) << QSize(32, 32);
    for (int cell = 0; cell < 4; ++cell)
        QTest::addRow("explosion cell %d", cell)
            << false << cell << QPoint((cell + 2) * 32, 64) << QSize(32, 32);
}

void TestScene::drawsItsRegion()
{
    QFETCH(bool, isShot);
    QFETCH(int, animFrame);
    QFETCH(QPoint, source);
    QFETCH(QSize, size);
    const PointF pos(100.5f, -2.5f); // halves round up: drawn centred on (101, -2)
    std::unique_ptr<Task> task;
    if (isShot) {
        task.reset(new taskMyBullet(pos, 0));
    } else {
        auto *explosion = new taskExplode(pos, 0);
        explosion->animFrame = animFrame;
        task.reset(explosion);
    }
    QCOMPARE(spriteDrawn(paintTask(task.get())), spriteAt(source, size, QPoint(101, -2)));
}

QTEST_MAIN(TestScene)
#include "tst_scene.moc"
