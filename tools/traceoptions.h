#ifndef TRACEOPTIONS_H
#define TRACEOPTIONS_H

#include <QSize>
#include <QString>
#include <QStringList>

#include "replay/framepictures.h"

class OptionReader;

// The trace tool's command line: how many frames, which script, what to print,
// which pictures to paint and where the sound goes.
struct TraceOptions {
    int frames = 600;
    bool framesGiven = false;
    QString input;
    bool hasInput = false;
    bool dump = false;
    int rssEvery = 0;
    bool verify = false;
    QString pngDir;
    FramePictures pictures;
    bool hidePictureDebugLine = false;
    QSize screen;  // invalid: the game's own screen
    QString audio; // the WAV file of the game's sound; none when empty

    // Reads argv as text. Returns -1 when the options are good, otherwise the
    // exit status (0 after --help).
    int parse(const QStringList &arguments);

    static QString usage();
    // One line on stderr and the status that says "bad invocation or input":
    // a mistake in the options points to --help, one in the input does not.
    static int usageError(const QString &message);
    static int inputError(const QString &message);

private:
    // The options that take a value; false, with the reader's error, on a bad one.
    bool readValue(OptionReader &reader);
    int checkTogether() const;
};

#endif
