#!/usr/bin/python3
"""Judges what the kiosk machine's sound card played (DIR/sound.wav, qemu's
recording) between the check's marks (DIR/sound-marks, "NAME BYTES" lines
from drive.py's SOUND): the game silent from its start for as long as it
plays no sound when left alone (DIR/frames.wav, the trace tool's sound of the
same start), and loud while fire was held. One PASS or FAIL line.
Usage: sound.py DIR"""
import os
import sys
import wave

import numpy

out = sys.argv[1]


def samples(path, start=0, end=None):
    """The first channel's samples of a 16-bit WAV file, from byte offsets of
    the file (as it grew while qemu wrote it) or all of them."""
    with wave.open(path) as wav:
        channels, rate = wav.getnchannels(), wav.getframerate()
    data = open(path, "rb").read()[44:]
    frame = 2 * channels
    begin, stop = max(start - 44, 0) // frame * frame, (len(data) if end is None else end - 44) // frame * frame
    return numpy.frombuffer(data[begin:stop], "<i2")[::channels].astype(float), rate


def rms(values):
    return float(numpy.sqrt(numpy.mean(values ** 2))) if values.size else 0.0


try:
    marks = dict(line.split() for line in open(os.path.join(out, "sound-marks")))
    marks = {name: int(size) for name, size in marks.items()}
    game, game_rate = samples(os.path.join(out, "frames.wav"))
    quiet = numpy.flatnonzero(game)[0] / game_rate
    recorded = os.path.join(out, "sound.wav")
    before, rate = samples(recorded, marks["start"], marks["fire"])
    before = before[:int(quiet * rate)]
    held, _ = samples(recorded, marks["fire"], marks["released"])
except (OSError, KeyError, IndexError, ValueError, EOFError, wave.Error) as error:
    sys.exit(f"FAIL sound: nothing to judge: {error!r}")
loud = numpy.abs(held).reshape(-1)
blocks = loud[:loud.size // (rate // 100) * (rate // 100)].reshape(-1, rate // 100).max(axis=1)
said = (f"RMS {rms(before):.0f} over the game's first {before.size / rate:.2f} s (it plays no sound"
        f" for {quiet:.2f} s left alone), {rms(held):.0f} over the {held.size / rate:.2f} s fire"
        f" was held ({int((blocks > 1000).sum())} of {blocks.size} 10-ms blocks above 1000)")
if before.size >= 0.5 * quiet * rate and rms(before) < 10 and rms(held) > 500:
    print(f"PASS sound: {said}")
else:
    sys.exit(f"FAIL sound: {said}")
