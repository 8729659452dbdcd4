#ifndef BENCHREPORT_H
#define BENCHREPORT_H

#include <QTextStream>
#include <QVector>

#include "benchoptions.h"

struct PresentedResult;
struct SceneResult;

// What the bench prints: the machine and the settings, a row per scene, the
// presented scenes, how the passes grow with the load, the targets and the
// summary lines that scripts read. Times are printed in microseconds.
class BenchReport {
public:
    explicit BenchReport(const BenchOptions &options);

    // The machine, the surface and what the columns mean.
    void writeHeader();
    // Everything measured, `runMs` the time it took. Returns the exit status:
    // 0 when every replay drew the game's picture, otherwise 1.
    int writeResults(const QVector<SceneResult> &scenes, const QVector<PresentedResult> &presented,
                     qint64 runMs);

private:
    void writeScenes(const QVector<SceneResult> &scenes);
    void writePresented(const QVector<PresentedResult> &presented);
    // What reaches the GPU per presented frame, raster and gl, on each screen.
    void writeUploads(const QVector<PresentedResult> &presented);
    // From the third scene (the smallest load) to the last (the largest).
    void writeGrowth(const QVector<SceneResult> &scenes, qint64 runMs);
    void writeTargets(const QVector<SceneResult> &scenes);

    BenchOptions options;
    QTextStream out;
    bool allIdentical = true;
    // The scene where Graphics View came closest to the game (the least gv/game).
    double worstGv = 0.0;
    QString worstGvScene;
    double collideK = 0.0, deleteK = 0.0;
};

#endif
