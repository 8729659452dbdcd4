#ifndef WINDOWPROBE_H
#define WINDOWPROBE_H

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>
#include <QTimer>
#include <memory>

#include "probeoptions.h"

class QWidget;
class TickCounter;
class View;

// One run of the window probe: the game's window exactly as main() opens it,
// or a bare widget, watched for the seconds asked; a line each second with the
// frame ticks, the frame rate the debug line shows, the process's CPU time and
// resident memory, then a one-line summary.
class WindowProbe {
public:
    explicit WindowProbe(const ProbeOptions &options);
    ~WindowProbe();
    WindowProbe(const WindowProbe &) = delete;
    WindowProbe &operator=(const WindowProbe &) = delete;

    // Shows the window and says what it is.
    void open();
    // Runs the application's event loop until the seconds are up.
    void run();
    void writeSummary();

private:
    void sample();

    ProbeOptions options;
    QWidget *window = nullptr;
    View *view = nullptr;
    std::unique_ptr<TickCounter> counter;
    QTextStream out;
    QTimer sampler;
    QElapsedTimer clock;
    qint64 cpuStart = 0, lastTicks = 0, lastCpu = 0;
    qint64 rssAt5 = -1, rssMax = 0;
    QString format = QStringLiteral("unknown");
    int second = 0;
};

#endif
