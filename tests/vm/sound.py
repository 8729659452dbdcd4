#!/usr/bin/python3
"""Judges what the kiosk machine's sound card played (DIR/sound.wav, qemu's
recording) between the check's marks (DIR/sound-marks, "NAME BYTES" lines
from drive.py's SOUND: start, fire, released). From the game's start the card
is silent until the game's first sound (an enemy's shot: left alone, one every
ten frames); with fire held the ship's shots fill the gaps between them, so
that more of the time is loud than before. One PASS or FAIL line.
Usage: sound.py DIR"""
import os
import sys
import wave

import numpy

out = sys.argv[1]
path = os.path.join(out, "sound.wav")
try:
    marks = {name: int(at) for name, at in (line.split() for line in open(os.path.join(out, "sound-marks")))}
    with wave.open(path) as wav:
        channels, rate = wav.getnchannels(), wav.getframerate()
    data = open(path, "rb").read()
    start, fire, released = ((marks[name] - 44) // (2 * channels) for name in ("start", "fire", "released"))
except (OSError, KeyError, ValueError, EOFError, wave.Error) as error:
    sys.exit(f"FAIL sound: nothing to judge in {out}: {error!r}")
# The first channel, in blocks of 10 ms from the game's start: each block's peak.
sound = numpy.frombuffer(data[44:44 + released * 2 * channels], "<i2")[::channels]
block = rate // 100
peaks = numpy.abs(sound[start:start + (released - start) // block * block].astype(int))
peaks = peaks.reshape(-1, block).max(axis=1)
fire_block = (fire - start) // block
heard = numpy.flatnonzero(peaks[:fire_block])
first = heard[0] if heard.size else fire_block
before, held = peaks[first:fire_block], peaks[fire_block:]


def loud(peaks):
    return float((peaks > 1000).mean()) if peaks.size else 0.0


said = (f"silent for the game's first {first * 10} ms, then loud in {loud(before):.0%} of"
        f" {before.size * 10} ms left alone and {loud(held):.0%} of {held.size * 10} ms with fire held"
        f" (peaks up to {held.max() if held.size else 0})")
if 0 < first < fire_block and loud(before) > 0 and loud(held) >= 1.5 * loud(before):
    print(f"PASS sound: {said}")
else:
    sys.exit(f"FAIL sound: {said}")
