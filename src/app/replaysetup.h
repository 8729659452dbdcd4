#ifndef REPLAYSETUP_H
#define REPLAYSETUP_H

#include <QString>
#include <QVector>

#include "input/inputscript.h"
#include "replay/replaychecker.h"
#include "replay/replayrecorder.h"

class View;

// A game watched from a replay or recorded into one: the replay steers alone,
// its check lines are compared frame by frame, and the recording is written.
class ReplaySetup {
public:
    // Reads the replay to watch; none when `path` is empty. A bad one is one
    // line on stderr and false.
    bool load(const QString &path);
    // The game's input: the replay alone (no keys, no pads), or the keyboard
    // and the pads when there is no replay.
    void installSources() const;
    // Records into `recordPath` (none when empty) and compares the replay's
    // check lines, after the game's frame of every tick of `view`.
    void watch(View &view, const QString &recordPath);
    // Writes the end of the recording.
    void finish();

private:
    // A recording ends at its last check line, the last frame played: from the
    // next frame on nothing is pressed.
    static void endAtLastCheck(QVector<InputScript::Step> &steps,
                               const QVector<InputScript::Check> &checks);
    bool replaying = false;
    QVector<InputScript::Step> steps;
    QVector<InputScript::Check> checks;
    ReplayRecorder recorder;
    ReplayChecker checker{{}};
    int frame = 0;
};

#endif
