#ifndef VOICE_H
#define VOICE_H

#include <QtGlobal>

// One chip voice: a square wave or noise whose pitch slides in a straight
// line from one value to another while its loudness falls to nothing. All in
// integers, so the same events always give the same samples.
class Voice {
public:
    enum Wave { Square, Noise };
    // A sound, as a row of the mixer's table.
    struct Shape {
        Wave wave;
        int startHz;     // the pitch at the start (for noise, how often it changes)
        int endHz;       // the pitch at the end
        int frames;      // how long it sounds, in frames of the game
        int volume;      // the loudness at the start, of 32767
        int dutyEighths; // a square's time high, in eighths of a period
        // A new event restarts the sound only once it has played this many
        // frames (0: at once).
        int retriggerFrames;
    };

    // Starts `shape` from its beginning, unless it is playing and has not yet
    // played its retrigger frames.
    void trigger(const Shape &sound);
    // Adds the next `count` samples of the sound, if any, to `mix`.
    void addTo(qint32 *mix, int count);
    bool isPlaying() const { return shape != nullptr && elapsed < length; }

    const Shape *shape = nullptr;
    qint64 length = 0;  // samples in the whole sound
    qint64 elapsed = 0; // samples played
    quint64 phase = 0;  // 32 bits of fraction of a period, plus whole periods for noise
    quint32 noise = 1;  // a 15-bit linear-feedback shift register

private:
    bool nextHigh();
};

#endif
