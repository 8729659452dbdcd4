#!/usr/bin/python3
"""Runs the kiosk test machine's qemu command line given, its second serial
line on this program's pipes and its monitor on a socket, and answers the
requests of the check running inside it (kiosk-check.sh) on that line:
  MARK NAME        dumps the screen to DIR/shot-NAME.ppm (the monitor's screendump)
  LOOK NAME [WxH]  ... and says whether it shows the game full screen (WxH, or
                   the screen given below): the 640x480 picture scaled by the
                   largest whole factor that fits, centred on black ("LOOK ok:
                   ..." or "LOOK bad: ...")
  KEYS KEYS MS     presses KEYS (the monitor's sendkey names, joined by "-") for MS ms
  FRAME            says which of the game's first frames the screen shows: the
                   one of DIR/frames/frame-N.png (shmup-trace --png, the game
                   left alone) its picture is nearest ("FRAME N DIFFERENCE"),
                   or "FRAME none" when none is near
  SOUND NAME       notes how far DIR/sound.wav (qemu's recording of the sound
                   card) has got, as "NAME BYTES" in DIR/sound-marks
  ALONE            answers once DIR/main.done exists: the other machine is off
Usage: drive.py DIR WxH QEMU-COMMAND...
VM_SECONDS bounds the run (default 1200)."""
import glob
import os
import socket
import subprocess
import sys
import threading
import time

import numpy
from PIL import Image

out, mode, *qemu_command = sys.argv[1:]
screen = tuple(int(n) for n in mode.split("x"))
monitor_path = os.path.join(out, f"monitor-{os.getpid()}")
listener = socket.socket(socket.AF_UNIX)
listener.bind(monitor_path)
listener.listen(1)
listener.settimeout(60)
qemu = subprocess.Popen([*qemu_command, "-serial", "stdio", "-monitor", f"unix:{monitor_path}"],
                        stdin=subprocess.PIPE, stdout=subprocess.PIPE)
monitor = listener.accept()[0]
os.unlink(monitor_path)


def command(text=None):
    """Runs a monitor command, and returns once the monitor prompts again."""
    if text:
        monitor.sendall(f"{text}\n".encode())
    said = b""
    while not said.endswith(b"(qemu) "):
        said += monitor.recv(4096) or sys.exit("error: qemu closed its monitor")


command()


def dump(shot):
    path = os.path.join(out, f"shot-{shot}.ppm")
    command(f"screendump {path}")
    return path if os.path.exists(path) else None


def expand(bits):
    """The 8-bit values a channel of that many bits is widened to."""
    return [(v << (8 - bits)) | (v >> (2 * bits - 8)) for v in range(1 << bits)]


def picture(path):
    """The screen's pixels, and where the game's picture is on it at the
    largest whole factor, centred."""
    pixels = numpy.asarray(Image.open(path).convert("RGB")).astype(numpy.int32)
    height, width = pixels.shape[:2]
    factor = min(width // 640, height // 480)
    left, top = (width - 640 * factor) // 2, (height - 480 * factor) // 2
    return pixels, factor, left, top, left + 640 * factor, top + 480 * factor


def look(path, screen):
    """What the screen shows, or what is wrong with it: the game's picture
    at the largest whole factor, centred, black around it."""
    pixels, factor, left, top, right, bottom = picture(path)
    height, width = pixels.shape[:2]
    if (width, height) != screen:
        return f"bad: the screen is {width}x{height}, not {screen[0]}x{screen[1]}"
    if factor < 1:
        return f"bad: {width}x{height} is smaller than the game (not checked here)"
    # Black around the picture, and what is not black inside it.
    lit = pixels.any(axis=2)
    outside = lit.copy()
    outside[top:bottom, left:right] = False
    for y in numpy.flatnonzero(outside.any(axis=1))[:1]:
        xs = numpy.flatnonzero(lit[y])
        return f"bad: a pixel outside the picture at {left},{top} {right - left}x{bottom - top}" \
               f" is not black in row {y} (x {xs[0]} to {xs[-1]})"
    ys, xs = numpy.nonzero(lit)
    if not ys.size:
        return "bad: the screen is black"
    span_x, span_y = xs.max() - xs.min() + 1, ys.max() - ys.min() + 1
    if span_x < 0.9 * 640 * factor or span_y < 0.9 * 480 * factor:
        return f"bad: the game's stars cover only {span_x}x{span_y} of the" \
               f" {640 * factor}x{480 * factor} picture"
    found = [f"the picture {640 * factor}x{480 * factor} at {left},{top} ({factor}x) on black,"
             f" lit {span_x}x{span_y}"]
    if factor >= 2:
        # Each game pixel a block of factor x factor screen pixels, below the
        # debug line (laid out again at the larger size). A frame drawn while
        # the screen was read may tear one row: a few rows may differ.
        blocks = pixels[top + 48 * factor:bottom, left:right].reshape(-1, factor, 640, factor, 3)
        checked = len(blocks)
        uneven = int((blocks != blocks[:, :1, :, :1]).any(axis=(1, 2, 3, 4)).sum())
        if uneven > checked // 100:
            return f"bad: {uneven} of {checked} rows of game pixels are not {factor}x{factor} blocks"
        found.append(f"{checked - uneven} of {checked} rows of {factor}x{factor} blocks")
    # Red sprites (the small enemies and their shots) against blue ones (the
    # ship): red and blue swapped would turn them over.
    r, g, b = numpy.moveaxis(pixels[top:bottom:factor, left:right:factor], 2, 0)
    red = r > 2 * numpy.maximum(g, b) + 40
    reds, blues = int(red.sum()), int((~red & (b > 2 * numpy.maximum(g, r) + 40)).sum())
    found.append(f"{reds} red and {blues} blue pixels")
    if reds <= blues:
        return f"bad: {reds} red pixels and {blues} blue ones: red and blue are swapped"
    # The colours a 16-bit (5-6-5) screen can show, widened to 8 bits.
    if all(numpy.isin(pixels[..., c], expand(bits)).all() for c, bits in enumerate((5, 6, 5))):
        found.append("every pixel a 5-6-5 colour")
    else:
        found.append("colours of more than 16 bits")
    return "ok: " + ", ".join(found)


# Every fourth pixel of every fourth row below the debug line, loaded while
# the machine boots: a FRAME answered late would see a later frame.
frames = {}
for frame_path in glob.glob(os.path.join(out, "frames", "frame-*.png")):
    frames[int(os.path.basename(frame_path)[6:-4])] = \
        numpy.asarray(Image.open(frame_path).convert("RGB"))[48::4, ::4]


def shown_frame():
    """The frame nearest to what the screen shows, compared as loaded."""
    pixels, factor, left, top, right, bottom = picture(dump("frame"))
    shown = pixels[top + 48 * factor:bottom:4 * factor, left:right:4 * factor]
    difference, frame = min((numpy.abs(game - shown).mean(), frame) for frame, game in frames.items())
    return f"FRAME {frame} {difference:.2f}" if difference < 0.5 else "FRAME none"


def answer(request):
    words = request.split()
    if words[:1] == ["MARK"] and len(words) == 2:
        return f"SHOT {words[1]}" if dump(words[1]) else f"no screen dump {words[1]}"
    if words[:1] == ["LOOK"] and len(words) in (2, 3):
        path = dump(words[1])
        size = tuple(int(n) for n in words[2].split("x")) if len(words) == 3 else screen
        try:
            return "LOOK " + look(path, size) if path else f"LOOK bad: no screen dump {words[1]}"
        except (OSError, ValueError) as error:
            return f"LOOK bad: {error}"
    if words[:1] == ["KEYS"] and len(words) == 3:
        command(f"sendkey {words[1]} {words[2]}")
        time.sleep(int(words[2]) / 1000 + 0.3)
        return "KEYS done"
    if words == ["FRAME"]:
        return shown_frame()
    if words[:1] == ["SOUND"] and len(words) == 2:
        wav = os.path.join(out, "sound.wav")
        size = os.path.getsize(wav) if os.path.exists(wav) else 0
        with open(os.path.join(out, "sound-marks"), "a") as marks:
            marks.write(f"{words[1]} {size}\n")
        return f"SOUND {words[1]} at byte {size}"
    if words == ["ALONE"]:
        while not os.path.exists(os.path.join(out, "main.done")):
            time.sleep(1)
        return "ALONE"
    return f"unknown request: {request}"


seconds = float(os.environ.get("VM_SECONDS", "1200"))
timer = threading.Timer(seconds, qemu.kill)
timer.daemon = True
timer.start()
for line in qemu.stdout:
    request = line.decode(errors="replace").strip()
    if request:
        qemu.stdin.write(f"{answer(request)}\n".encode())
        qemu.stdin.flush()
qemu.wait()
timer.cancel()
if qemu.returncode != 0:
    sys.exit(f"error: the test machine did not power off within {seconds:.0f} s"
             if qemu.returncode == -9 else f"error: qemu failed with status {qemu.returncode}")
