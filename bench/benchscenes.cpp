#include "benchscenes.h"

#include <QElapsedTimer>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <random>

#include "joystick.h"
#include "present/presentation.h"
#include "screen.h"
#include "spritesheet.h"
#include "taskbg.h"
#include "taskenemy1.h"
#include "taskenemy2.h"
#include "taskenemybullet.h"
#include "taskexplode.h"
#include "taskmanager.h"
#include "taskmyship.h"
#include "texture.h"
#include "view.h"

namespace {
double median(QVector<qint64> values)
{
    if (values.isEmpty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const int n = int(values.size());
    return n % 2 ? double(values.at(n / 2))
                 : (double(values.at(n / 2 - 1)) + values.at(n / 2)) / 2.0;
}
} // namespace

BenchScenes::BenchScenes(const BenchOptions &options)
    : options(options), gameSurface(screenSize(), options.format),
      rawSurface(screenSize(), options.format), gvSurface(screenSize(), options.format)
{
    // The game starts the way main() starts it: glibc's unseeded rand()
    // sequence, the window's constructor adding the scene director.
    srand(1);
    // Its timers never fire: the bench runs no event loop.
    view = new View;
    presentation = Presentation::on(view);
    // The debug line as it reads in a running game.
    view->fps = 62;
}

BenchScenes::~BenchScenes()
{
    View::resetGame();
    delete view;
}

bool BenchScenes::sheetLoaded() const
{
    return !Texture::inst()->getTexture(SpriteSheet::name()).isNull();
}

QVector<SceneResult> BenchScenes::chosenScenes(const QVector<InputScript::Step> &busy)
{
    QVector<SceneResult> results;
    const QString &only = options.only;
    if (only.isEmpty() || only == QLatin1String("steady"))
        results.append(gameScene(QStringLiteral("steady"), nullptr));
    if (only.isEmpty() || only == QLatin1String("busy"))
        results.append(gameScene(QStringLiteral("busy"), &busy));
    if (options.onlyLoad > 0)
        results.append(loadScene(options.onlyLoad, busy));
    if (only.isEmpty()) {
        for (int size : std::as_const(options.loads))
            results.append(loadScene(size, busy));
    }
    return results;
}

QVector<PresentedResult> BenchScenes::chosenPresented()
{
    if (!options.only.isEmpty() && options.only != QLatin1String("presented"))
        return {};
    return presentedScenes({QSize(1280, 960), QSize(1920, 1080), QSize(480, 272)});
}

// The game from its start, as the window starts it.
void BenchScenes::startScene()
{
    View::resetGame();
    View::startGame();
}

// An unmeasured frame: the game's frame and paint only.
void BenchScenes::advance()
{
    View::stepGame();
    paintGame(&gameSurface);
}

void BenchScenes::paintGame(QImage *surface)
{
    QPainter painter(surface);
    TaskManager::inst()->render(&painter);
    view->renderDebug(&painter);
}

// Records the frame's drawing. The ship counts its paints to blink, so its
// counters are put back: recording must not change the game.
void BenchScenes::record()
{
    const ShipCounters ships = shipCounters();
    recorder.record.clear();
    {
        QPainter painter(&recorder);
        TaskManager::inst()->render(&painter);
        view->renderDebug(&painter);
    }
    restoreShipCounters(ships);
}

BenchScenes::ShipCounters BenchScenes::shipCounters()
{
    ShipCounters ships;
    for (Task *task : std::as_const(TaskManager::inst()->tasks)) {
        if (auto *ship = dynamic_cast<taskMyShip *>(task))
            ships.append(qMakePair(ship, ship->renderCount));
    }
    return ships;
}

void BenchScenes::restoreShipCounters(const ShipCounters &ships)
{
    for (const auto &saved : ships)
        saved.first->renderCount = saved.second;
}

// The painting limit: the same fill, pixmap calls and text, nothing else.
void BenchScenes::replayRaw(QImage *surface)
{
    QPainter painter(surface);
    replayCalls(&painter);
}

// The same drawing presented on a larger or smaller screen: black around the
// picture, then the same calls through the window's clip and transform.
void BenchScenes::replayPresented(QImage *surface, const QRect &picture)
{
    QPainter painter(surface);
    Presentation::fillAround(&painter, surface->rect(), picture);
    Presentation::mapInto(&painter, picture);
    replayCalls(&painter);
}

void BenchScenes::replayCalls(QPainter *painter)
{
    const FrameRecord &frame = recorder.record;
    if (frame.fills > 0)
        painter->fillRect(screenRect(), Qt::black);
    for (const SpriteCall &call : frame.sprites)
        painter->drawPixmap(call.target, call.pixmap, call.source);
    painter->setBackgroundMode(Qt::OpaqueMode);
    for (const TextCall &text : frame.texts)
        painter->drawText(text.baseline, text.text);
}

void BenchScenes::measureFrame(Samples *samples, int index)
{
    TaskManager *manager = TaskManager::inst();
    samples->pairs.append(qint64(manager->myTasks.size()) * manager->enemyTasks.size());
    // The frame step's passes, each timed.
    QElapsedTimer timer;
    timer.start();
    Joystick::inst()->pool();
    manager->updatePass();
    const qint64 updated = timer.nsecsElapsed();
    manager->collisionCheck();
    const qint64 collided = timer.nsecsElapsed();
    manager->deletionPass();
    const qint64 deleted = timer.nsecsElapsed();
    const qint64 logic = deleted;
    samples->update.append(updated);
    samples->collision.append(collided - updated);
    samples->deletion.append(deleted - collided);
    samples->tasks.append(manager->getTaskCount());

    record(); // not timed
    samples->sprites.append(recorder.record.sprites.size());

    qint64 paint = 0, raw = 0, gv = 0;
    const std::function<void()> paths[3] = {
        [&] {
            timer.restart();
            paintGame(&gameSurface);
            paint = timer.nsecsElapsed();
        },
        [&] {
            timer.restart();
            replayRaw(&rawSurface);
            raw = timer.nsecsElapsed();
        },
        [&] {
            timer.restart();
            graphicsView.sync(recorder.record);
            graphicsView.render(&gvSurface);
            gv = timer.nsecsElapsed();
        },
    };
    for (int i = 0; i < 3; ++i)
        paths[(index + i) % 3]();
    samples->paint.append(paint);
    samples->frame.append(logic + paint);
    samples->raw.append(raw);
    samples->graphicsView.append(gv);
    samples->gvFrame.append(logic + gv);

    // The replay is only a limit if it draws the same picture.
    if (!samples->compared || index % 50 == 0) {
        samples->compared = true;
        samples->rawIdentical = samples->rawIdentical && rawSurface == gameSurface;
        samples->gvIdentical = samples->gvIdentical && gvSurface == gameSurface;
    }
}

SceneResult BenchScenes::summarize(const QString &name, const Samples &samples, int loadSize)
{
    SceneResult r;
    r.name = name;
    r.loadSize = loadSize;
    r.tasks = median(samples.tasks);
    r.sprites = median(samples.sprites);
    r.pairs = median(samples.pairs);
    r.update = median(samples.update);
    r.collision = median(samples.collision);
    r.deletion = median(samples.deletion);
    r.paint = median(samples.paint);
    r.frame = median(samples.frame);
    r.raw = median(samples.raw);
    r.graphicsView = median(samples.graphicsView);
    r.gvFrame = median(samples.gvFrame);
    r.rawIdentical = samples.rawIdentical;
    r.gvIdentical = samples.gvIdentical;
    return r;
}

SceneResult BenchScenes::gameScene(const QString &name, const QVector<InputScript::Step> *steps)
{
    graphicsView.clear();
    startScene();
    if (steps)
        Joystick::inst()->addSource(new InputScript(*steps));
    for (int frame = 0; frame < options.warmFrames; ++frame)
        advance();
    Samples samples;
    for (int i = 0; i < options.gameFrames; ++i)
        measureFrame(&samples, i);
    return summarize(name, samples, 0);
}

SceneResult BenchScenes::loadScene(int size, const QVector<InputScript::Step> &steps)
{
    View::resetGame();
    graphicsView.clear();
    std::mt19937 random{unsigned(size)};
    TaskManager *manager = TaskManager::inst();
    manager->addTask(new taskBG(0));
    auto *ship = new taskMyShip(PointF(320.0f, 400.0f), 0);
    ship->state = taskMyShip::Active;
    ship->hp = 1 << 30;
    manager->addMyTask(ship);
    // From the sweep's first frame on.
    QVector<InputScript::Step> sweep = steps;
    for (InputScript::Step &step : sweep)
        step.frame = std::max(0, step.frame - 64);
    Joystick::inst()->addSource(new InputScript(sweep));

    for (int frame = 0; frame < options.loadWarmFrames; ++frame) {
        trimLoad(size);
        refillLoad(size, random);
        advance();
    }
    Samples samples;
    for (int i = 0; i < options.loadFrames; ++i) {
        trimLoad(size);
        refillLoad(size, random);
        measureFrame(&samples, i);
    }
    return summarize(QStringLiteral("load %1").arg(size), samples, size);
}

// Enemies fire faster than a dense field loses them: the newest enemy-side
// tasks beyond the load are taken out between frames, untimed.
void BenchScenes::trimLoad(int size)
{
    TaskManager *manager = TaskManager::inst();
    qsizetype excess = manager->getTaskCount() - size;
    if (excess <= 0)
        return;
    for (qsizetype i = manager->enemyTasks.size() - 1; i >= 0 && excess > 0; --i, --excess)
        manager->enemyTasks.at(i)->dead = true;
    manager->deletionPass();
}

void BenchScenes::refillLoad(int size, std::mt19937 &random)
{
    TaskManager *manager = TaskManager::inst();
    std::uniform_real_distribution<float> across(0.0f, float(kScreenWidth));
    std::uniform_real_distribution<float> down(0.0f, float(kScreenHeight));
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    while (manager->getTaskCount() < size) {
        const PointF pos(across(random), down(random));
        const float kind = unit(random);
        if (kind < 0.60f) {
            const float angle = unit(random) * 6.2831853f;
            manager->addEnemyTask(new taskEnemyBullet(
                pos, 0, PointF(std::cos(angle), std::sin(angle)), PointF(0.0f, 0.0f)));
        } else if (kind < 0.85f) {
            auto *enemy = new taskEnemy1(pos, 0, PointF(0.0f, 1.0f));
            enemy->fireCounter = int(random() % 60);
            manager->addEnemyTask(enemy);
        } else if (kind < 0.90f) {
            manager->addEnemyTask(new taskEnemy2(pos, 0, PointF(0.0f, 1.0f), 0));
        } else {
            auto *explode = new taskExplode(pos, 0);
            explode->animFrame = int(random() % 4);
            manager->addTask(explode);
        }
    }
}

QVector<PresentedResult> BenchScenes::presentedScenes(const QVector<QSize> &screens)
{
    startScene();
    for (int frame = 0; frame < options.warmFrames; ++frame)
        advance();

    const int n = int(screens.size());
    QVector<QImage> gameImages, rawImages;
    QVector<QVector<qint64>> paints(n), frames(n), raws(n);
    QVector<PresentedResult> results(n);
    for (int s = 0; s < n; ++s) {
        gameImages.append(QImage(screens.at(s), options.format));
        rawImages.append(QImage(screens.at(s), options.format));
        results[s].screen = screens.at(s);
        results[s].picture = Presentation::placePicture(screens.at(s));
    }
    QElapsedTimer timer;
    for (int i = 0; i < options.gameFrames; ++i) {
        timer.start();
        View::stepGame();
        const qint64 logic = timer.nsecsElapsed();
        record();
        const ShipCounters ships = shipCounters();
        for (int k = 0; k < 2 * n; ++k) {
            const int step = (i + k) % (2 * n);
            const int s = step / 2;
            const bool gameFirst = (i / (2 * n)) % 2 == 0;
            const bool game = (step % 2 == 0) == gameFirst;
            if (game) {
                presentation->presentOn(screens.at(s)); // not timed
                restoreShipCounters(ships);
                timer.restart();
                {
                    QPainter painter(&gameImages[s]);
                    presentation->paint(&painter);
                }
                const qint64 paint = timer.nsecsElapsed();
                paints[s].append(paint);
                frames[s].append(logic + paint);
            } else {
                timer.restart();
                replayPresented(&rawImages[s], results.at(s).picture);
                raws[s].append(timer.nsecsElapsed());
            }
        }
        if (i % 50 == 0) {
            for (int s = 0; s < n; ++s)
                results[s].rawIdentical =
                    results.at(s).rawIdentical && gameImages.at(s) == rawImages.at(s);
        }
    }
    for (int s = 0; s < n; ++s) {
        results[s].paint = median(paints.at(s));
        results[s].frame = median(frames.at(s));
        results[s].raw = median(raws.at(s));
    }
    presentation->presentOn(screenSize());
    return results;
}
