#include "sound/mixer.h"

#include <algorithm>

#include "sound/soundformat.h"

// Their loudest moments add up to less than 32767, so sounds at once never
// need cutting; the mix is held within 16 bits all the same. The shot is soft
// and short because a held trigger fires every frame: its voice restarts every
// fourth frame, a steady rattle rather than one long buzz.
const Voice::Shape Mixer::sounds[SoundEvents::kinds] = {
    // wave          start   end frames volume duty retrigger
    {Voice::Square, 1200, 600, 5, 4000, 2, 4},  // shot: a falling blip
    {Voice::Square, 330, 550, 5, 2500, 4, 0},   // enemy shot: a rising chirp
    {Voice::Noise, 8000, 500, 24, 7000, 0, 0},  // explosion: falling noise
    {Voice::Square, 180, 720, 14, 4500, 4, 0},  // split: a long rising sweep
    {Voice::Noise, 3000, 100, 90, 11000, 0, 0}, // ship destroyed: low, loud, long
};

void Mixer::mixFrame(unsigned events, qint16 *samples)
{
    qint32 mix[kFrameSamples] = {};
    for (int kind = 0; kind < SoundEvents::kinds; ++kind) {
        if (events & (1u << kind))
            voices[kind].trigger(sounds[kind]);
        voices[kind].addTo(mix, kFrameSamples);
    }
    for (int i = 0; i < kFrameSamples; ++i)
        samples[i] = qint16(std::clamp(mix[i], qint32(-32768), qint32(32767)));
}
