#!/usr/bin/python3
"""Judges what the kiosk machine's sound card played (DIR/sound.wav, qemu's
recording) between the check's marks (DIR/sound-marks, "NAME BYTES" lines
from drive.py's SOUND: start, fire, released). From the game's start the card
is silent until the game's first sound (an enemy's shot: left alone, one every
ten frames, and explosions later), then loud; how much stronger the ship's
shots (a square wave falling from 1200 to 600 Hz) make their band once fire is
held is told on an INFO line. One PASS or FAIL line.
Usage: sound.py DIR"""
import os
import struct
import sys

import numpy

out = sys.argv[1]
path = os.path.join(out, "sound.wav")
try:
    marks = {name: int(at) for name, at in (line.split() for line in open(os.path.join(out, "sound-marks")))}
    data = open(path, "rb").read()
    # The header as qemu writes it first (the sizes are filled in at its end).
    channels, rate = struct.unpack_from("<HI", data, 22)
    start, fire, released = ((marks[name] - 44) // (2 * channels) for name in ("start", "fire", "released"))
except (OSError, KeyError, ValueError, struct.error) as error:
    sys.exit(f"FAIL sound: nothing to judge in {out}: {error!r}")
# The first channel, and each 10 ms's peak from the game's start.
sound = numpy.frombuffer(data[44:44 + released * 2 * channels], "<i2")[::channels]
block = rate // 100
peaks = numpy.abs(sound[start:start + (released - start) // block * block].astype(int))
peaks = peaks.reshape(-1, block).max(axis=1)
fire_block = (fire - start) // block
heard = numpy.flatnonzero(peaks)
first = heard[0] if heard.size else peaks.size


def band(samples):
    """The power between 600 and 1250 Hz, per sample."""
    power = numpy.abs(numpy.fft.rfft(samples)) ** 2
    hz = numpy.fft.rfftfreq(samples.size, 1 / rate)
    return power[(hz >= 600) & (hz < 1250)].sum() / max(samples.size, 1) ** 2


alone = band(sound[start + first * block:fire].astype(float))
shots = band(sound[fire:released].astype(float))
said = (f"silent for the game's first {first * 10} ms, then peaks up to {peaks.max() if peaks.size else 0}")
# Under emulation the recording's length does not follow the machine's clock
# closely enough to place the press of fire in it: the shots' band is told, not judged.
print(f"INFO sound: the shots' band (600-1250 Hz) {shots / max(alone, 1e-9):.0f} times as strong"
      f" after the press of fire as before it, by the recording's length")
if 0 < first and peaks.size and peaks.max() > 4000:
    print(f"PASS sound: {said}")
else:
    sys.exit(f"FAIL sound: {said}")
