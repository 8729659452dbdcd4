#!/usr/bin/env bash
# The headless demo of scripts/run, as a new user on a server meets it: no
# display, no framebuffer. It must save a 640x480 screenshot, print the debug
# line's numbers and exit 0. Usage: demo-test.sh BUILD-DIR
set -euo pipefail
build_dir="$1"
root="$(cd "$(dirname "$0")/../.." && pwd)"
if [ -r /dev/fb0 ] && [ -w /dev/fb0 ]; then
    echo "SKIP: this machine has a framebuffer, so scripts/run would use it"
    exit 77
fi
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM SHMUP_BUILD_DIR="$build_dir" \
    SHMUP_DEMO_SECONDS=3 SHMUP_SCREENSHOT="$out/demo.png" "$root/scripts/run" >"$out/log" 2>&1 \
    || { cat "$out/log"; echo "FAIL: scripts/run exited with an error" >&2; exit 1; }
cat "$out/log"
grep -q "^Screenshot: $out/demo.png\$" "$out/log" || { echo "FAIL: no screenshot path" >&2; exit 1; }
grep -Eq '^Debug line: [0-9]+ fps / [0-9]+ tasks$' "$out/log" \
    || { echo "FAIL: no debug line numbers" >&2; exit 1; }
# A PNG's width and height are the big-endian words at bytes 16 and 20.
size="$(od -An -tu1 -j16 -N8 "$out/demo.png" | awk '{print $3*256+$4 "x" $7*256+$8}')"
[ "$size" = 640x480 ] || { echo "FAIL: the screenshot is $size, not 640x480" >&2; exit 1; }
