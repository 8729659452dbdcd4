#!/usr/bin/env python3
"""Boots the kiosk test machine once and serves the check running inside it
(kiosk-check.sh). Copies the machine's first serial line to LOG and to stdout,
and answers its requests on the second serial line:
  MARK NAME        dumps the screen to DIR/shot-NAME.ppm
  LOOK NAME        ... and says whether it shows the game full screen: the
                   640x480 picture scaled by the largest whole factor that fits,
                   centred on black ("LOOK ok: ..." or "LOOK bad: ...")
  KEYS KEYS MS     presses KEYS (qemu's sendkey names, joined by "-") for MS ms
Usage: drive.py DIR LOG KERNEL INITRD DISK WxH APPEND [QEMU-ARGUMENT...]
KVM instead of emulation when SHMUP_VM_KVM=1; VM_SECONDS bounds the run
(default 1200)."""
import os
import socket
import subprocess
import sys
import time

out, log_path, kernel, initrd, disk, mode, append = sys.argv[1:8]
extra = sys.argv[8:]
screen = tuple(int(n) for n in mode.split("x"))
accel = ["-enable-kvm", "-cpu", "host"] if os.environ.get("SHMUP_VM_KVM") == "1" else []
name = os.path.splitext(os.path.basename(log_path))[0]
monitor_path = os.path.join(out, f"{name}.monitor")
reply_path = os.path.join(out, f"{name}.reply")
for path in (monitor_path, reply_path):
    if os.path.exists(path):
        os.unlink(path)
# -snapshot: the disk stays as it was made, for the next boot.
qemu = subprocess.Popen(
    ["qemu-system-x86_64", *accel, "-m", "1024", "-smp", "1", "-kernel", kernel, "-initrd", initrd,
     "-append", f"root=/dev/vda rw console=ttyS0 quiet {append}",
     "-drive", f"file={disk},format=raw,if=virtio", "-snapshot", *extra, "-display", "none",
     "-serial", "stdio", "-serial", f"unix:{reply_path},server=on,wait=off",
     "-monitor", f"unix:{monitor_path},server=on,wait=off", "-no-reboot"],
    stdout=subprocess.PIPE, stderr=subprocess.STDOUT)


def connect(path):
    for _ in range(100):
        if os.path.exists(path):
            break
        time.sleep(0.1)
    sock = socket.socket(socket.AF_UNIX)
    sock.connect(path)
    return sock


monitor = connect(monitor_path)
monitor.settimeout(5)
reply = connect(reply_path)


def command(text):
    monitor.sendall(f"{text}\n".encode())


def dump(shot):
    path = os.path.join(out, f"shot-{shot}.ppm")
    if os.path.exists(path):
        os.unlink(path)
    command(f"screendump {path}")
    for _ in range(100):
        if os.path.exists(path) and os.path.getsize(path) > 0:
            # Written at once by qemu, but let it finish.
            time.sleep(0.2)
            return path
        time.sleep(0.1)
    return None


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError(f"{path} is not a binary 8-bit PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[at + 1:at + 1 + width * height * 3]


def expand(bits):
    """The 8-bit values a channel of that many bits is widened to."""
    return {(v << (8 - bits)) | (v >> (2 * bits - 8)) for v in range(1 << bits)}


def look(path):
    """What the screen shows, or what is wrong with it: the game's picture
    at the largest whole factor, centred, black around it."""
    width, height, pixels = read_ppm(path)
    if (width, height) != screen:
        return f"bad: the screen is {width}x{height}, not {screen[0]}x{screen[1]}"
    factor = min(width // 640, height // 480)
    if factor < 1:
        return f"bad: {width}x{height} is smaller than the game (not checked here)"
    left, top = (width - 640 * factor) // 2, (height - 480 * factor) // 2
    right, bottom = left + 640 * factor, top + 480 * factor
    stride = width * 3
    rows = [pixels[y * stride:(y + 1) * stride] for y in range(height)]
    # Black around the picture, and what is not black inside it.
    lit_left, lit_right, lit_top, lit_bottom = width, -1, height, -1
    for y, row in enumerate(rows):
        first = len(row) - len(row.lstrip(b"\0"))
        if first == len(row):
            continue
        last = len(row.rstrip(b"\0")) - 1
        if not (top <= y < bottom and first // 3 >= left and last // 3 < right):
            return f"bad: a pixel outside the picture at {left},{top} {right - left}x{bottom - top}" \
                   f" is not black in row {y} (x {first // 3} to {last // 3})"
        lit_left, lit_right = min(lit_left, first // 3), max(lit_right, last // 3)
        lit_top, lit_bottom = min(lit_top, y), max(lit_bottom, y)
    if lit_right < 0:
        return "bad: the screen is black"
    span_x, span_y = lit_right - lit_left + 1, lit_bottom - lit_top + 1
    if span_x < 0.9 * 640 * factor or span_y < 0.9 * 480 * factor:
        return f"bad: the game's stars cover only {span_x}x{span_y} of the" \
               f" {640 * factor}x{480 * factor} picture"
    found = [f"the picture {640 * factor}x{480 * factor} at {left},{top} ({factor}x) on black,"
             f" lit {span_x}x{span_y}"]
    if factor >= 2:
        # Each game pixel a block of factor x factor screen pixels, below the
        # debug line (laid out again at the larger size). A frame drawn while
        # the screen was read may tear one row: a few rows may differ.
        uneven = 0
        checked = 0
        for y in range(top + 48 * factor, bottom, factor):
            block = rows[y][left * 3:right * 3]
            checked += 1
            if any(rows[y + k][left * 3:right * 3] != block for k in range(1, factor)):
                uneven += 1
                continue
            columns = [block[c::3 * factor] for c in range(3 * factor)]
            if any(columns[c] != columns[c % 3] for c in range(3, 3 * factor)):
                uneven += 1
        if uneven > checked // 100:
            return f"bad: {uneven} of {checked} rows of game pixels are not {factor}x{factor} blocks"
        found.append(f"{checked - uneven} of {checked} rows of {factor}x{factor} blocks")
    # Red sprites (the small enemies and their shots) against blue ones (the
    # ship): red and blue swapped would turn them over.
    reds = blues = 0
    for row in rows[top:bottom:factor]:
        game = row[left * 3:right * 3]
        step = 3 * factor
        r, g, b = game[0::step], game[1::step], game[2::step]
        for i in range(len(r)):
            if r[i] > 2 * max(g[i], b[i]) + 40:
                reds += 1
            elif b[i] > 2 * max(g[i], r[i]) + 40:
                blues += 1
    found.append(f"{reds} red and {blues} blue pixels")
    if reds <= blues:
        return f"bad: {reds} red pixels and {blues} blue ones: red and blue are swapped"
    # The colours a 16-bit (5-6-5) screen can show, widened to 8 bits.
    if all(set(pixels[c::3]) <= expand(bits) for c, bits in enumerate((5, 6, 5))):
        found.append("every pixel a 5-6-5 colour")
    else:
        found.append("colours of more than 16 bits")
    return "ok: " + ", ".join(found)


def answer(request):
    words = request.split()
    if words[0] == "MARK" and len(words) == 2:
        return f"SHOT {words[1]}" if dump(words[1]) else f"no screen dump {words[1]}"
    if words[0] == "LOOK" and len(words) == 2:
        path = dump(words[1])
        if not path:
            return f"LOOK bad: no screen dump {words[1]}"
        try:
            return "LOOK " + look(path)
        except (OSError, ValueError) as error:
            return f"LOOK bad: {error}"
    if words[0] == "KEYS" and len(words) == 3:
        command(f"sendkey {words[1]} {words[2]}")
        time.sleep(int(words[2]) / 1000 + 0.3)
        return "KEYS done"
    return f"unknown request: {request}"


with open(log_path, "wb") as log:
    pending = b""
    deadline = time.time() + float(os.environ.get("VM_SECONDS", "1200"))
    while time.time() < deadline:
        chunk = qemu.stdout.read1(4096)
        if not chunk:
            break
        log.write(chunk)
        log.flush()
        pending += chunk
        while b"\n" in pending:
            line, pending = pending.split(b"\n", 1)
            text = line.decode(errors="replace").rstrip("\r")
            print(text, flush=True)
            if text.split(" ", 1)[0] in ("MARK", "LOOK", "KEYS"):
                verdict = answer(text)
                log.write(f"host: {verdict}\n".encode())
                reply.sendall(f"{verdict}\n".encode())
try:
    qemu.wait(timeout=30)
except subprocess.TimeoutExpired:
    print("error: the test machine did not power off in time", flush=True)
    qemu.kill()
    qemu.wait()
