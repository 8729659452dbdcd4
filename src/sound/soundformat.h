#ifndef SOUNDFORMAT_H
#define SOUNDFORMAT_H

// The game's sound: 48 kHz, 16-bit, mono, and one 16 ms frame of the game is
// exactly 768 samples of it, so a frame's sound never straddles two frames.
constexpr int kSampleRate = 48000;
constexpr int kFrameSamples = kSampleRate * 16 / 1000;
static_assert(kFrameSamples * 1000 == kSampleRate * 16, "a frame is a whole number of samples");

#endif
