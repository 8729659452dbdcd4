#ifndef BENCHOPTIONS_H
#define BENCHOPTIONS_H

#include <QImage>
#include <QString>
#include <QStringList>
#include <QVector>

class OptionReader;

// The bench's command line: how many frames each scene runs, the surface
// painted into, the busy scene's scenario and the one scene to run alone.
struct BenchOptions {
    int warmFrames = 3000;   // the game scenes are measured from this frame on
    int gameFrames = 600;    // frames 3000 to 3599
    int loadWarmFrames = 30; // a synthetic load settles into its churn first
    int loadFrames = 200;
    QVector<int> loads = {1000, 3000, 10000};
    // The backing store's format of the game window on xcb (Xvfb, 24 bits) with Qt 6.4.
    QImage::Format format = QImage::Format_ARGB32_Premultiplied;
    QString busyPath = QStringLiteral(BENCH_BUSY_SCENARIO);
    bool smoke = false;
    QString only;     // run one scene: steady, busy, presented or a load (profiling)
    int onlyLoad = 0; // the load's size when `only` is a task count

    // Reads argv as text. Returns -1 when the options are good, otherwise the
    // exit status (0 after --help).
    int parse(const QStringList &arguments);

    static QString usage();
    // One line on stderr and the status 2 of a bad invocation or input.
    static int usageError(const QString &message);
    static int inputError(const QString &message);

private:
    // A few frames of each scene, to check that it runs.
    void useSmoke();
    // The options that take a value; false, with the reader's error, on a bad one.
    bool readValue(OptionReader &reader);
};

#endif
