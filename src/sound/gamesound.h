#ifndef GAMESOUND_H
#define GAMESOUND_H

#include <QtGlobal>

#include "sound/eventspotter.h"
#include "sound/mixer.h"
#include "sound/soundformat.h"

// The sound of the game as it plays: after each frame, what the frame did and
// the frame's samples. The same game always gives the same samples.
class GameSound {
public:
    // Create once the game has started (again for each game View::resetGame
    // starts): the tasks in the list then make no sound.
    GameSound() = default;

    // After every frame of the game.
    void frameDone();

    unsigned events = 0; // the last frame's events
    qint16 samples[kFrameSamples] = {};

private:
    EventSpotter spotter;
    Mixer mixer;
};

#endif
