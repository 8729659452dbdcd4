#!/usr/bin/python3
"""A wired Xbox 360 pad, or a touch screen, made up through the kernel's
/dev/uinput (python3-evdev) for the kiosk test machine. The pad has the same
bus, ids, name, buttons and axes as the kernel's xpad driver gives a real one,
so that udev tags it a joystick and SDL maps it with its built-in table. The
touch screen is a direct multitouch device (type B slots) as big as the screen,
one unit a pixel, so that udev tags it a touch screen and libinput maps it 1:1.
The device is plugged in when the program starts, goes through the steps
given, and is pulled out when the program ends.

Usage: vpad STEP...
  NAME=VALUE  sets a button (1 held, 0 released) or an axis; the change is
              sent at once, as one report
  wait=MS     waits that many milliseconds
  opened-by=PID  waits up to a minute for that process to open the device,
              and prints "opened by PID"
Buttons: a b x y tl tr back start mode thumbl thumbr
Axes:    lx ly rx ry (the sticks, -32768..32767), lt rt (the triggers, 0..255),
         hatx haty (the d-pad, -1..1)
Example: vpad wait=3000 hatx=-1 a=1 wait=1500 hatx=0 a=0 wait=500

Usage: vpad --touch WIDTHxHEIGHT STEP...
  down=X,Y    a finger touches the screen at that pixel
  move=X,Y    the finger slides there
  up          the finger is lifted
  wait=MS, opened-by=PID as above
With no steps given, it reads them from its input, one a line, until its end.
Example: vpad --touch 1024x768 wait=3000 down=512,384 move=412,384 wait=1500 up"""
import itertools
import os
import sys
import time

from evdev import AbsInfo, UInput, ecodes as e

STICK, TRIGGER, HAT = AbsInfo(0, -32768, 32767, 16, 128, 0), AbsInfo(0, 0, 255, 0, 0, 0), \
    AbsInfo(0, -1, 1, 0, 0, 0)
BUTTONS = {"a": e.BTN_A, "b": e.BTN_B, "x": e.BTN_X, "y": e.BTN_Y, "tl": e.BTN_TL, "tr": e.BTN_TR,
           "back": e.BTN_SELECT, "start": e.BTN_START, "mode": e.BTN_MODE,
           "thumbl": e.BTN_THUMBL, "thumbr": e.BTN_THUMBR}
AXES = {"lx": (e.ABS_X, STICK), "ly": (e.ABS_Y, STICK), "lt": (e.ABS_Z, TRIGGER),
        "rx": (e.ABS_RX, STICK), "ry": (e.ABS_RY, STICK), "rt": (e.ABS_RZ, TRIGGER),
        "hatx": (e.ABS_HAT0X, HAT), "haty": (e.ABS_HAT0Y, HAT)}
CONTACTS = itertools.count()


def pad():
    return UInput({e.EV_KEY: list(BUTTONS.values()), e.EV_ABS: list(AXES.values())},
                  name="Microsoft X-Box 360 pad", bustype=e.BUS_USB, vendor=0x045E,
                  product=0x028E, version=0x0110, phys="")


def touch_screen(width, height):
    """Ten slots, as a small panel's controller has; 4 units (pixels) a
    millimetre, so that libinput, which wants a size, sees a plausible panel."""
    x, y = AbsInfo(0, 0, width - 1, 0, 0, 4), AbsInfo(0, 0, height - 1, 0, 0, 4)
    axes = [(e.ABS_X, x), (e.ABS_Y, y), (e.ABS_MT_SLOT, AbsInfo(0, 0, 9, 0, 0, 0)),
            (e.ABS_MT_TRACKING_ID, AbsInfo(0, 0, 65535, 0, 0, 0)),
            (e.ABS_MT_POSITION_X, x), (e.ABS_MT_POSITION_Y, y)]
    return UInput({e.EV_KEY: [e.BTN_TOUCH], e.EV_ABS: axes}, name="vpad touch screen",
                  bustype=e.BUS_VIRTUAL, vendor=0x1234, product=0x5678, version=1, phys="",
                  input_props=[e.INPUT_PROP_DIRECT])


def events(step, touch):
    """The events of one step, or None when it is not a step of the device."""
    name, _, value = step.partition("=")
    if not touch:
        if name in BUTTONS:
            return [(e.EV_KEY, BUTTONS[name], int(int(value) != 0))]
        return [(e.EV_ABS, AXES[name][0], int(value))] if name in AXES else None
    if step == "up":
        return [(e.EV_ABS, e.ABS_MT_TRACKING_ID, -1), (e.EV_KEY, e.BTN_TOUCH, 0)]
    x, y = (int(n) for n in value.split(","))
    mt = [(e.EV_ABS, e.ABS_MT_POSITION_X, x), (e.EV_ABS, e.ABS_MT_POSITION_Y, y)]
    single = [(e.EV_ABS, e.ABS_X, x), (e.EV_ABS, e.ABS_Y, y)]
    if name == "down":
        return [(e.EV_ABS, e.ABS_MT_SLOT, 0), (e.EV_ABS, e.ABS_MT_TRACKING_ID, next(CONTACTS)), *mt,
                (e.EV_KEY, e.BTN_TOUCH, 1), *single]
    return mt + single if name == "move" else None


def wait_opened(device, pid):
    """Waits for process PID to have the device's event node open."""
    if device is None:
        sys.exit("vpad: the device made has no node in /dev/input")
    for _ in range(600):
        try:
            if any(os.readlink(f"/proc/{pid}/fd/{fd}") == device.path
                   for fd in os.listdir(f"/proc/{pid}/fd")):
                return
        except OSError:
            pass  # a descriptor closed while it was read, or no such process yet
        time.sleep(0.1)
    sys.exit(f"vpad: process {pid} did not open {device.path} in a minute")


def main(args):
    touch = args[:1] == ["--touch"]
    if touch:
        width, height = (int(n) for n in args[1].split("x"))
        args = args[2:]
    device = touch_screen(width, height) if touch else pad()
    with device:
        for step in (line.strip() for line in sys.stdin) if not args else args:
            if step.startswith("wait="):
                time.sleep(int(step[5:]) / 1000)
            elif step.startswith("opened-by="):
                wait_opened(device.device, step[10:])
                print(f"opened by {step[10:]}", flush=True)
            else:
                try:
                    sent = events(step, touch)
                except ValueError:
                    sent = None
                if sent is None:
                    sys.exit(f"vpad: {step} is not a step of a {'touch screen' if touch else 'pad'}"
                             " (see tests/vm/vpad.py)")
                for event in sent:
                    device.write(*event)
                device.syn()


if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] in ("-h", "--help") or sys.argv[1:] == ["--touch"]:
        sys.exit(__doc__)
    try:
        main(sys.argv[1:])
    except OSError as error:
        sys.exit(f"vpad: {error} (it needs root and the uinput module)")
    except ValueError as error:
        sys.exit(f"vpad: {error} (see tests/vm/vpad.py)")
