#!/usr/bin/python3
"""Judges what the kiosk machine's sound card played (DIR/sound.wav, qemu's
recording) in the touch screen's game, against the sound that game made:
DIR/touch.wav, written by the trace tool from the game's own recording
(DIR/touch.rec). qemu records only while the card plays, so the game's part
of the file lies between the "start" and "end" lines of DIR/sound-marks (the
file's length before the game started and after it ended). In it the card
must be silent until it plays the game's first sound; and of the frames in
which the recording holds fire and whose sound the game makes nowhere else
(the ship's shots), more than half must be in what it played, sample for
sample and as loud. The emulated machine cannot keep its card fed in time
(the card plays silence while the game catches up, and the game drops a frame
of sound when it is ahead), so each frame is looked for anywhere in the
game's part rather than at a time. One PASS or FAIL line.
Usage: sound.py DIR"""
import os
import struct
import sys

import numpy

RATE = 48000  # the game's
FRAME = 768  # samples a frame
out = sys.argv[1]


def wav(name):
    """The first channel of a WAV file as written (qemu fills in its sizes
    only when it stops), its rate and its number of channels."""
    data = open(os.path.join(out, name), "rb").read()
    channels, rate = struct.unpack_from("<HI", data, 22)
    whole = (len(data) - 44) // (2 * channels) * 2 * channels
    return numpy.frombuffer(data[44:44 + whole], "<i2")[::channels].astype(float), rate, channels


def matches(pieces, sound):
    """For each piece, where in sound it fits best and how well (1: exactly,
    up to loudness), by their normalized cross-correlation."""
    n = 1 << (sound.size + FRAME).bit_length()
    spectrum = numpy.fft.rfft(sound, n)
    energy = numpy.concatenate(([0.0], numpy.cumsum(sound ** 2)))
    found = []
    for piece in pieces:
        dot = numpy.fft.irfft(spectrum * numpy.conj(numpy.fft.rfft(piece, n)), n)
        norm = numpy.sqrt(numpy.maximum(energy[piece.size:] - energy[:-piece.size], 0))
        size = numpy.linalg.norm(piece)
        score = dot[:norm.size] / numpy.maximum(norm, 0.1 * size) / size
        at = int(score.argmax())
        found.append((at, score[at]))
    return found


try:
    marks = dict(line.split() for line in open(os.path.join(out, "sound-marks")))
    heard, rate, channels = wav("sound.wav")
    want = wav("touch.wav")[0]
    changes = [line.split() for line in open(os.path.join(out, "touch.rec")) if line[:1].isdigit()]
    fire = next(int(frame) for frame, _, shooting in changes if shooting == "1")
    held = next(int(frame) for frame, _, shooting in changes if shooting == "0" and int(frame) > fire)
    # qemu writes through a 4 KiB buffer: the end of the sound before the game
    # may land after its mark.
    start, end = ((int(marks[name]) + 4096 - 44) // (2 * channels) for name in ("start", "end"))
except (OSError, KeyError, ValueError, StopIteration, struct.error) as error:
    sys.exit(f"FAIL sound: nothing to judge in {out}: {error!r}")
# The game's part, at the game's rate (qemu plays the card at its own).
heard = heard[start:end]
heard = numpy.interp(numpy.arange(heard.size * RATE // rate) * rate / RATE, numpy.arange(heard.size), heard)
sounds, first = numpy.flatnonzero(want), numpy.flatnonzero(numpy.abs(heard) > 1)
if not sounds.size or not first.size:
    sys.exit(f"FAIL sound: the card played nothing in the game's {heard.size / RATE:.1f} s")
# What the card first played: the first 5 ms of it are the game's opening
# sound (the card may lose the very start of it as it starts).
(at, opening), = matches([heard[first[0]:first[0] + 240]], want[sounds[0]:sounds[0] + 10 * FRAME])
said = (f"silent for the game's first {first[0] * 1000 // RATE} ms until its first sound (frame"
        f" {(sounds[0] + at) // FRAME}, matched {opening:.2f})")
if opening < 0.9:
    sys.exit(f"FAIL sound: {said}")
# The frames fire is held whose sound the game makes nowhere else (the ship's
# shots; the enemies' shots and the explosions sound alike all through), each once.
pieces = {}
for frame in range(fire, held):
    piece = want[frame * FRAME:(frame + 1) * FRAME]
    if piece.any():
        pieces.setdefault(piece.tobytes(), piece)
rest = numpy.concatenate((want[:fire * FRAME], numpy.zeros(FRAME), want[held * FRAME:]))
pieces = [piece for piece, (_, score) in zip(pieces.values(), matches(pieces.values(), rest)) if score < 0.9]
# The card plays silence when the game falls behind, and the game drops a
# frame of sound when it is ahead: a few may be cut or missing.
found = [(at, piece) for (at, score), piece in zip(matches(pieces, heard), pieces) if score >= 0.9]
# How loud the card played them, against the game.
loud = numpy.sqrt(sum((heard[at:at + FRAME] ** 2).sum() for at, _ in found)
                  / max(sum((piece ** 2).sum() for _, piece in found), 1))
said += (f"; while the recording holds fire (frames {fire}-{held - 1}) it played {len(found)} of the"
         f" {len(pieces)} frames of sound heard nowhere else in the game (the ship's shots), 0.9 or"
         f" better correlated, {loud:.2f} times as loud as the game made them")
if len(found) >= 3 and 2 * len(found) > len(pieces) and 0.8 <= loud <= 1.25:
    print(f"PASS sound: {said}")
else:
    sys.exit(f"FAIL sound: {said}")
