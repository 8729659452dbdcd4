// shmup-window-probe: the game window exactly as main() opens it, watched from
// an event filter for a given time. Each second it prints the frame ticks
// handled, the frame rate the debug line shows, the process's CPU time and its
// resident memory, then a one-line summary. With --bare it opens an empty
// 640x480 widget instead, the baseline a Qt window costs. --scale N opens
// either N times as large, as the game's --scale N does.

#include <QApplication>

#include "app/optionreader.h"
#include "probeoptions.h"
#include "windowprobe.h"

int main(int argc, char **argv)
{
    ProbeOptions options;
    const int status = options.parse(OptionReader::fromArgv(argc, argv));
    if (status >= 0)
        return status;
    QApplication app(argc, argv);
    WindowProbe probe(options);
    probe.open();
    probe.run();
    probe.writeSummary();
    return 0;
}
