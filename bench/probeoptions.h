#ifndef PROBEOPTIONS_H
#define PROBEOPTIONS_H

#include <QString>
#include <QStringList>

class OptionReader;

// The window probe's command line: how long to watch, which window, how large.
struct ProbeOptions {
    int seconds = 60;
    bool bare = false; // an empty widget instead of the game's window
    int scale = 0;     // 0: the window's own size

    // Reads argv as text. Returns -1 when the options are good, otherwise the
    // exit status (0 after --help, 2 after one line on stderr).
    int parse(const QStringList &arguments);
    static QString usage();

private:
    // The options that take a value; false, with the reader's error, on a bad one.
    bool readValue(OptionReader &reader);
};

#endif
