#include "sound/voice.h"

#include "sound/soundformat.h"

void Voice::trigger(const Shape &sound)
{
    if (shape == &sound && isPlaying() && elapsed < qint64(sound.retriggerFrames) * kFrameSamples)
        return;
    shape = &sound;
    length = qint64(sound.frames) * kFrameSamples;
    elapsed = 0;
    phase = 0;
    noise = 1;
}

void Voice::addTo(qint32 *mix, int count)
{
    for (int i = 0; i < count && isPlaying(); ++i, ++elapsed) {
        const qint64 remaining = length - elapsed;
        const qint64 level = qint64(shape->volume) * remaining / length;
        mix[i] += qint32(nextHigh() ? level : -level);
    }
}

bool Voice::nextHigh()
{
    // The pitch in 1/256 Hz, so that slow slides still move every sample.
    const qint64 start = qint64(shape->startHz) * 256;
    const qint64 end = qint64(shape->endHz) * 256;
    const qint64 pitch = start + (end - start) * elapsed / length;
    phase += (quint64(pitch) << 24) / kSampleRate;
    if (shape->wave == Square) {
        phase &= 0xffffffffu;
        return phase < (quint64(shape->dutyEighths) << 29);
    }
    // Noise: the register steps once for every period that ended, and its
    // low bit is the output (taps at bits 0 and 1, as on the old chips).
    for (; phase > 0xffffffffu; phase -= quint64(1) << 32)
        noise = (noise >> 1) | (((noise ^ (noise >> 1)) & 1u) << 14);
    return (noise & 1u) != 0;
}
