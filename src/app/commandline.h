#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <QVector>

#include "app/gameoptions.h"

// The program's command line, split: the game's own options, read before Qt
// starts so that --help or a mistake needs no display, and the rest for Qt.
class CommandLine {
public:
    // Reads the options; --help, --version and a mistake are printed here.
    CommandLine(int argc, char **argv);

    // Whether the program ends here, with `status`.
    bool ends() const { return parsed.outcome == GameOptions::Outcome::Exit; }

    GameOptions options;
    GameOptions::Result parsed;
    // The arguments that are not the game's, as given: Qt keeps pointers into
    // this array for the run.
    int qtArgc = 0;
    QVector<char *> qtArgv;
};

#endif
