#!/usr/bin/env python3
"""Boots the kiosk test machine, copies its serial line to serial.log and to
stdout, and dumps the screen to shot-NAME.ppm at each "MARK NAME" line.
Usage: drive.py DIR KERNEL INITRD DISK WxH [kvm]"""
import os
import socket
import subprocess
import sys
import time

out, kernel, initrd, disk, mode = sys.argv[1:6]
accel = ["-enable-kvm", "-cpu", "host"] if len(sys.argv) > 6 and sys.argv[6] == "kvm" else []
monitor_path = os.path.join(out, "monitor.sock")
if os.path.exists(monitor_path):
    os.unlink(monitor_path)
qemu = subprocess.Popen(
    ["qemu-system-x86_64", *accel, "-m", "1024", "-smp", "1", "-kernel", kernel, "-initrd", initrd,
     "-append", f"root=/dev/vda rw console=ttyS0 video={mode} quiet",
     "-drive", f"file={disk},format=raw,if=virtio", "-vga", "std", "-display", "none",
     "-serial", "stdio", "-monitor", f"unix:{monitor_path},server,nowait", "-no-reboot"],
    stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
for _ in range(50):
    if os.path.exists(monitor_path):
        break
    time.sleep(0.1)
monitor = socket.socket(socket.AF_UNIX)
monitor.connect(monitor_path)
monitor.settimeout(5)


def dump(name):
    path = os.path.join(out, f"shot-{name}.ppm")
    monitor.sendall(f"screendump {path}\n".encode())
    for _ in range(50):
        if os.path.exists(path) and os.path.getsize(path) > 0:
            return
        time.sleep(0.1)


with open(os.path.join(out, "serial.log"), "wb") as log:
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
            if text.startswith("MARK "):
                dump(text.split()[1])
try:
    qemu.wait(timeout=30)
except subprocess.TimeoutExpired:
    print("error: the test machine did not power off in time", flush=True)
    qemu.kill()
    qemu.wait()
