#ifndef MIXER_H
#define MIXER_H

#include <QtGlobal>

#include "sound/soundevents.h"
#include "sound/voice.h"

// The game's sound, frame by frame: one voice for each kind of event, each
// restarted by its event, added together and held within 16 bits.
class Mixer {
public:
    // The sounds, in the order of SoundEvents' bits.
    static const Voice::Shape sounds[SoundEvents::kinds];

    // The next frame's kFrameSamples samples: the sounds of `events` start at
    // its first sample, over those still playing.
    void mixFrame(unsigned events, qint16 *samples);

    Voice voices[SoundEvents::kinds];
};

#endif
