#include "benchreport.h"

#include <QFile>
#include <QGuiApplication>
#include <QSysInfo>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "benchscenes.h"
#include "present/glpicture.h"
#include "screen.h"

namespace {

QString cpuModel()
{
    QFile file(QStringLiteral("/proc/cpuinfo"));
    if (file.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray &line : lines) {
            if (line.startsWith("model name"))
                return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
        }
    }
    return QStringLiteral("unknown");
}

QString us(double ns)
{
    return QString::number(ns / 1000.0, 'f', 1);
}

// The exponent k of cost ~ n^k between two loads.
double growth(double costSmall, double costLarge, double nSmall, double nLarge)
{
    if (costSmall <= 0 || costLarge <= 0)
        return 0.0;
    return std::log(costLarge / costSmall) / std::log(nLarge / nSmall);
}

QLatin1String verdict(bool met)
{
    return QLatin1String(met ? "met" : "MISSED");
}

} // namespace

BenchReport::BenchReport(const BenchOptions &options) : options(options), out(stdout) {}

void BenchReport::writeHeader()
{
    out << "shmup-bench: Qt " << qVersion() << ", " << QSysInfo::prettyProductName() << ", "
        << cpuModel() << ", " << QThread::idealThreadCount() << " cores, build " BENCH_BUILD_TYPE
        << ", platform " << QGuiApplication::platformName() << "\n";
    out << "surface: " << kScreenWidth << "x" << kScreenHeight << " QImage, format "
        << (options.format == QImage::Format_RGB32 ? "RGB32" : "ARGB32_Premultiplied")
        << "; game scenes: frames " << options.warmFrames << " to "
        << options.warmFrames + options.gameFrames - 1 << "; loads: " << options.loadFrames
        << " frames after " << options.loadWarmFrames << "\n";
    out << "times: medians per frame in microseconds; frame = update (with joystick) + collide"
           " + delete + paint; raw = the same drawing replayed; gview = the same logic + the"
           " scene synced and rendered through QGraphicsScene\n\n";
    out.flush();
}

int BenchReport::writeResults(const QVector<SceneResult> &scenes,
                              const QVector<PresentedResult> &presented, qint64 runMs)
{
    writeScenes(scenes);
    if (!presented.isEmpty()) {
        writePresented(presented);
        writeUploads(presented);
    }
    if (scenes.size() >= 5) {
        writeGrowth(scenes, runMs);
        writeTargets(scenes);
    }
    out.flush();
    return allIdentical ? 0 : 1;
}

void BenchReport::writeScenes(const QVector<SceneResult> &scenes)
{
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10")
               .arg(QStringLiteral("scene"), -11)
               .arg(QStringLiteral("tasks"), 6)
               .arg(QStringLiteral("update"), 8)
               .arg(QStringLiteral("collide"), 8)
               .arg(QStringLiteral("delete"), 8)
               .arg(QStringLiteral("paint"), 8)
               .arg(QStringLiteral("frame"), 8)
               .arg(QStringLiteral("raw"), 8)
               .arg(QStringLiteral("game/raw"), 9)
               .arg(QStringLiteral("gview"), 9)
        << QStringLiteral(" %1 %2\n")
               .arg(QStringLiteral("gv/game"), 8)
               .arg(QStringLiteral("pairs"), 8);
    for (const SceneResult &r : scenes) {
        const double gvGame = r.gvFrame / r.frame;
        if (worstGv == 0.0 || gvGame < worstGv) {
            worstGv = gvGame;
            worstGvScene = r.name;
        }
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10")
                   .arg(r.name, -11)
                   .arg(qRound(r.tasks), 6)
                   .arg(us(r.update), 8)
                   .arg(us(r.collision), 8)
                   .arg(us(r.deletion), 8)
                   .arg(us(r.paint), 8)
                   .arg(us(r.frame), 8)
                   .arg(us(r.raw), 8)
                   .arg(QString::number(r.frame / r.raw, 'f', 3), 9)
                   .arg(us(r.gvFrame), 9)
            << QStringLiteral(" %1 %2\n")
                   .arg(QString::number(gvGame, 'f', 2), 8)
                   .arg(qRound64(r.pairs), 8);
        allIdentical = allIdentical && r.rawIdentical;
        if (!r.gvIdentical)
            out << "  note: " << r.name << ": the Graphics View picture differs from the game's\n";
    }
    out << "\nraw replay draws the same picture as the game: " << (allIdentical ? "yes" : "NO")
        << "\n";
}

void BenchReport::writePresented(const QVector<PresentedResult> &presented)
{
    out << "\npresented: the steady scene's frames on other screens; paint = the window's"
           " paint (black around; scaled up by a whole factor, the game drawn at 1x and each"
           " pixel copied into a block; shrunk, the game drawn through the transform); frame ="
           " update + collide + delete + that paint; raw = the same drawing replayed through"
           " the same clip and transform\n";
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
               .arg(QStringLiteral("screen"), -11)
               .arg(QStringLiteral("picture"), -17)
               .arg(QStringLiteral("scale"), 6)
               .arg(QStringLiteral("paint"), 8)
               .arg(QStringLiteral("frame"), 8)
               .arg(QStringLiteral("raw"), 8)
               .arg(QStringLiteral("frame/raw"), 10);
    bool identical = true;
    double worst = 0.0;
    for (const PresentedResult &r : presented) {
        const QRect &p = r.picture;
        const double ratio = r.frame / r.raw;
        worst = std::max(worst, ratio);
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
                   .arg(QStringLiteral("%1x%2").arg(r.screen.width()).arg(r.screen.height()), -11)
                   .arg(QStringLiteral("%1,%2 %3x%4")
                            .arg(p.x())
                            .arg(p.y())
                            .arg(p.width())
                            .arg(p.height()),
                        -17)
                   .arg(QString::number(p.width() / double(kScreenWidth), 'f', 3), 6)
                   .arg(us(r.paint), 8)
                   .arg(us(r.frame), 8)
                   .arg(us(r.raw), 8)
                   .arg(QString::number(ratio, 'f', 3), 10);
        identical = identical && r.rawIdentical;
    }
    out << "raw replay draws the same presented pictures as the game: "
        << (identical ? "yes" : "NO") << "\n";
    allIdentical = allIdentical && identical;
    if (!options.smoke)
        out << QStringLiteral("  target: each presented frame within 1.2x its raw paint: worst"
                              " %1 -> %2\n")
                   .arg(worst, 0, 'f', 3)
                   .arg(verdict(worst <= 1.2));
    out << QStringLiteral("summary-presented: x2_ratio=%1 letterboxed_ratio=%2 shrunk_ratio=%3\n")
               .arg(presented.at(0).frame / presented.at(0).raw, 0, 'f', 3)
               .arg(presented.at(1).frame / presented.at(1).raw, 0, 'f', 3)
               .arg(presented.at(2).frame / presented.at(2).raw, 0, 'f', 3);
}

void BenchReport::writeGrowth(const QVector<SceneResult> &scenes, qint64 runMs)
{
    const SceneResult &small = scenes.at(2);
    const SceneResult &large = scenes.constLast();
    const double n0 = small.tasks, n1 = large.tasks;
    collideK = growth(small.collision, large.collision, n0, n1);
    deleteK = growth(small.deletion, large.deletion, n0, n1);
    out << QStringLiteral("growth from %1 to %2 tasks (cost ~ n^k): collide k=%3 (x%4, pairs x%5, "
                          "%6 ns per pair at %2), delete k=%7 (x%8), update k=%9, paint k=%10\n")
               .arg(qRound(n0))
               .arg(qRound(n1))
               .arg(collideK, 0, 'f', 2)
               .arg(large.collision / small.collision, 0, 'f', 1)
               .arg(large.pairs / small.pairs, 0, 'f', 1)
               .arg(large.collision / std::max(1.0, large.pairs), 0, 'f', 2)
               .arg(deleteK, 0, 'f', 2)
               .arg(large.deletion / small.deletion, 0, 'f', 1)
               .arg(growth(small.update, large.update, n0, n1), 0, 'f', 2)
               .arg(growth(small.paint, large.paint, n0, n1), 0, 'f', 2);
    out << "  the collision check tests every player-side character against every enemy-side one;"
           " the player side is the ship and its shots (one a frame), so pairs grow with the enemy"
           " count\n";
    out << QStringLiteral("run time %1 s\n\n").arg(runMs / 1000.0, 0, 'f', 1);
}

void BenchReport::writeTargets(const QVector<SceneResult> &scenes)
{
    const double steadyRatio = scenes.at(0).frame / scenes.at(0).raw;
    const double busyRatio = scenes.at(1).frame / scenes.at(1).raw;
    const double frameLargest = scenes.constLast().frame / 1e6;
    if (!options.smoke) {
        out << "targets (for a Release build; this one is " BENCH_BUILD_TYPE "):\n";
        out << QStringLiteral("  steady frame within 1.2x its raw paint: %1 -> %2\n")
                   .arg(steadyRatio, 0, 'f', 3)
                   .arg(verdict(steadyRatio <= 1.2));
        out << QStringLiteral("  %1 tasks: whole frame under 8 ms: %2 ms -> %3\n")
                   .arg(qRound(scenes.constLast().tasks))
                   .arg(frameLargest, 0, 'f', 3)
                   .arg(verdict(frameLargest < 8.0));
        out << QStringLiteral(
                   "  faster than Graphics View on every scene: worst gv/game %1 (%2) -> %3\n")
                   .arg(worstGv, 0, 'f', 2)
                   .arg(worstGvScene)
                   .arg(verdict(worstGv > 1.0));
        // Linear growth gives k near 1; a quadratic pass would show k near 2.
        out << QStringLiteral(
                   "  no quadratic step: collide k=%1, delete k=%2 (both under 1.5) -> %3\n\n")
                   .arg(collideK, 0, 'f', 2)
                   .arg(deleteK, 0, 'f', 2)
                   .arg(verdict(collideK < 1.5 && deleteK < 1.5));
    }
    out << QStringLiteral("summary: steady_ratio=%1 busy_ratio=%2 graphicsview_ratio=%3 "
                          "frame10k_ms=%4\n")
               .arg(steadyRatio, 0, 'f', 3)
               .arg(busyRatio, 0, 'f', 3)
               .arg(worstGv, 0, 'f', 2)
               .arg(frameLargest, 0, 'f', 3);
}

void BenchReport::writeUploads(const QVector<PresentedResult> &presented)
{
    out << "\nuploads: bytes that reach the GPU per presented frame, computed from the"
           " pictures' sizes (e2e_gl_upload measures gl with apitrace); raster = the window's"
           " backing store in the bench's format, which an OpenGL compositor (eglfs) uploads"
           " whole since every frame repaints every pixel; gl = --present gl's 640x480"
           " picture, whatever the screen\n";
    out << QStringLiteral("%1 %2 %3\n")
               .arg(QStringLiteral("screen"), -11)
               .arg(QStringLiteral("raster"), 10)
               .arg(QStringLiteral("gl"), 10);
    const int bitsPerPixel = QImage::toPixelFormat(options.format).bitsPerPixel();
    for (const PresentedResult &r : presented) {
        const qint64 raster = qint64(r.screen.width()) * r.screen.height() * bitsPerPixel / 8;
        out << QStringLiteral("%1 %2 %3\n")
                   .arg(QStringLiteral("%1x%2").arg(r.screen.width()).arg(r.screen.height()), -11)
                   .arg(raster, 10)
                   .arg(GlPicture::kBytesPerPicture, 10);
    }
}
