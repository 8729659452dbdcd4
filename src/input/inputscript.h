#ifndef INPUTSCRIPT_H
#define INPUTSCRIPT_H

#include <QByteArray>
#include <QString>
#include <QVector>

#include "joystick.h"

// A scripted player: replays the steps of an input file, one poll per frame, so
// that headless runs (the trace tool, benchmarks) steer and fire the ship.
//
// The file holds one step a line, "FRAME DIR FIRE": from frame FRAME on the
// direction code is DIR and trigger 0 is held when FIRE is not 0, until the
// next step. Blank lines and lines starting with '#' are skipped. Before the
// first step nothing is pressed. Lines end in LF or CRLF (a file saved on
// Windows reads the same); a CR anywhere else is an error.
//
// A replay is such a file with check lines among the comments,
// "# check FRAME HASH": the hash of the game's state after frame FRAME (see
// StateDump). Readers that do not verify skip them as comments.
class InputScript : public InputSource {
public:
    struct Step {
        int frame;
        int dir;
        bool fire;
    };

    // Reads the steps from the file's bytes. On failure returns false and sets
    // `error` to one line naming the line number ("line 3: ..."); `steps` is
    // then left empty.
    static bool parse(const QByteArray &bytes, QVector<Step> &steps, QString &error);

    struct Check {
        int frame;
        quint64 hash;
    };

    // The same, and the check lines into `checks`. The steps accepted are the
    // same as above; a line that starts with "# check" must then be a whole
    // check line (FRAME a non-negative integer above the previous check's,
    // HASH 16 hex digits), or parsing fails.
    static bool parse(const QByteArray &bytes, QVector<Step> &steps, QVector<Check> &checks,
                      QString &error);

    // Reads a script file whole, refusing what is too large to be one. On
    // failure `error` is one line that names the file.
    static bool readFile(const QString &path, QByteArray &bytes, QString &error);

    // Reads and parses a script file: its steps and, when `checks` is given,
    // its check lines. On failure `error` is one line that names the file.
    static bool load(const QString &path, QVector<Step> &steps, QVector<Check> *checks,
                     QString &error);

    // The axes (-1, 0 or 1 each) of a direction code from 0 to 8: the inverse
    // of Joystick::directionCode.
    static void axes(int dir, int &x, int &y);

    explicit InputScript(const QVector<Step> &steps);

    // Adds the step in force for the current frame, then moves to the next frame.
    void poll(InputState &state) override;

    QVector<Step> steps;
    qint64 frame; // frame of the next poll; 64 bits so that it never wraps
    int current;  // index of the step in force, -1 before the first one
};

#endif
