// shmup-bench: what one frame of the game costs, against the bare drawing of
// the same frame and against the same frame drawn through Graphics View; the
// scenes are measured by BenchScenes, reported by BenchReport. Figures are
// medians over frames.

#include <QApplication>
#include <QElapsedTimer>

#include "app/optionreader.h"
#include "benchoptions.h"
#include "benchreport.h"
#include "benchscenes.h"

int main(int argc, char **argv)
{
    BenchOptions options;
    const int status = options.parse(OptionReader::fromArgv(argc, argv));
    if (status >= 0)
        return status;
    // The busy scenario is read before Qt starts: a bad one is one line on stderr.
    QVector<InputScript::Step> busySteps;
    QString error;
    if (!InputScript::load(options.busyPath, busySteps, nullptr, error))
        return BenchOptions::inputError(error +
                                        QStringLiteral(" (give a scenario with --busy FILE)"));

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchReport report(options);
    report.writeHeader();
    BenchScenes bench(options);
    if (!bench.sheetLoaded())
        return BenchOptions::inputError(QStringLiteral(
            "the sprite sheet did not load; run from the build tree (bin/../img/edge1.png)"));

    QElapsedTimer wall;
    wall.start();
    const QVector<SceneResult> scenes = bench.chosenScenes(busySteps);
    const QVector<PresentedResult> presented = bench.chosenPresented();
    return report.writeResults(scenes, presented, wall.elapsed());
}
