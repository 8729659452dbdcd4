#ifndef BENCHSCENES_H
#define BENCHSCENES_H

#include <QImage>
#include <QPair>
#include <QRect>
#include <QString>
#include <QVector>
#include <random>

#include "benchoptions.h"
#include "graphicsviewpath.h"
#include "input/inputscript.h"
#include "paintrecorder.h"

class Presentation;
class View;
class taskMyShip;

// The medians of one scene's frames, in nanoseconds.
struct SceneResult {
    QString name;
    int loadSize = 0; // live tasks asked for; 0 for the game scenes
    double tasks = 0, sprites = 0, pairs = 0;
    double update = 0, collision = 0, deletion = 0, paint = 0, frame = 0, raw = 0;
    double graphicsView = 0, gvFrame = 0;
    bool rawIdentical = true, gvIdentical = true;
};

// The steady scene's frames painted on a screen of another size, as the
// full-screen window presents them.
struct PresentedResult {
    QSize screen;
    QRect picture;
    double paint = 0, frame = 0, raw = 0;
    bool rawIdentical = true;
};

// The scenes the bench measures. Every measured frame runs the game's frame
// (joystick, update, collisions, deletion, full paint into an offscreen
// surface of the window's format), then replays the recorded drawing raw, then
// draws it through a QGraphicsScene; the three paths take turns in going first.
class BenchScenes {
public:
    explicit BenchScenes(const BenchOptions &options);
    ~BenchScenes();
    BenchScenes(const BenchScenes &) = delete;
    BenchScenes &operator=(const BenchScenes &) = delete;

    // Whether the window's start-up loaded the sprite sheet: without it the
    // scenes draw nothing.
    bool sheetLoaded() const;
    // The scenes --only names, or else all but the presented ones: steady,
    // busy (played by `busy`) and the loads.
    QVector<SceneResult> chosenScenes(const QVector<InputScript::Step> &busy);
    // The presented scenes on three screens (2x, 2x letterboxed, shrunk),
    // unless --only names another scene.
    QVector<PresentedResult> chosenPresented();

    // The default game, or the busy one when steps are given, measured over
    // frames warmFrames .. warmFrames + gameFrames - 1.
    SceneResult gameScene(const QString &name, const QVector<InputScript::Step> *steps);
    // A load of `size` live tasks: the starfield, an unkillable ship firing
    // and sweeping (the busy scenario), its shots, and enemies, enemy bullets
    // and explosions spread over the screen, brought back to `size` before
    // every frame.
    SceneResult loadScene(int size, const QVector<InputScript::Step> &steps);
    // The steady scene's frames painted by the window presented on each screen
    // (its paint, as a paint event runs it) and replayed raw through the same
    // transform; every frame paints every screen, paths and screens taking turns.
    QVector<PresentedResult> presentedScenes(const QVector<QSize> &screens);

private:
    // Per-frame timings of one scene, in nanoseconds.
    struct Samples {
        QVector<qint64> update, collision, deletion, paint, frame, raw, graphicsView, gvFrame;
        QVector<qint64> tasks, sprites, pairs;
        bool rawIdentical = true;
        bool gvIdentical = true;
        bool compared = false;
    };
    using ShipCounters = QVector<QPair<taskMyShip *, int>>;

    void startScene();
    // Brings the load back to `size` live tasks: enemy-side tasks beyond it
    // are taken out, then new ones spread over the screen.
    void trimLoad(int size);
    void refillLoad(int size, std::mt19937 &random);
    void advance();
    void paintGame(QImage *surface);
    void record();
    static ShipCounters shipCounters();
    static void restoreShipCounters(const ShipCounters &ships);
    void replayRaw(QImage *surface);
    void replayPresented(QImage *surface, const QRect &picture);
    void replayCalls(QPainter *painter);
    void measureFrame(Samples *samples, int index);
    static SceneResult summarize(const QString &name, const Samples &samples, int loadSize);

    BenchOptions options;
    View *view = nullptr;
    Presentation *presentation = nullptr;
    QImage gameSurface, rawSurface, gvSurface;
    PaintRecorder recorder;
    GraphicsViewPath graphicsView;
};

#endif
