#ifndef TRACERUN_H
#define TRACERUN_H

#include <QVector>

#include "input/inputscript.h"
#include "sound/wavfile.h"
#include "traceoptions.h"

class View;

// One run of the trace tool: the script it plays, the frames it prints or
// verifies, the pictures it paints, the sound it writes and what it says at
// the end.
class TraceRun {
public:
    explicit TraceRun(const TraceOptions &options);

    // Reads the script (and, to verify, its checks) and readies the output,
    // before Qt starts so that a mistake gets exactly one line on stderr.
    // Returns -1 when all is well, otherwise the exit status.
    int prepare();
    // Lets only the script steer the ship from the joystick's creation on.
    void installScript();
    // Plays the frames through `view`'s step, painting with it when pictures
    // are asked for (else it may be null). Returns -1 when all frames were
    // played, otherwise the exit status.
    int play(View *view);
    // The verdict and the last checks of the output: the exit status.
    int finish();

    const TraceOptions &options() const { return opts; }

private:
    int loadScript();

    TraceOptions opts;
    QVector<InputScript::Step> steps;
    QVector<InputScript::Check> checks;
    int checksPassed = 0;
    WavFile wav;
};

#endif
