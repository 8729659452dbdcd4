#include "sound/gamesound.h"

void GameSound::frameDone()
{
    events = spotter.frameDone();
    mixer.mixFrame(events, samples);
}
