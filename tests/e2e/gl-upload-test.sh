#!/usr/bin/env bash
# The game full screen with --present gl under apitrace for five seconds: past the
# first two pictures, glTexImage2D and glTexSubImage2D get at most 1.5 640x480
# RGBA pictures per buffer swap (the backing store would be 8,294,400 bytes).
# Run under tests/e2e/with-xvfb.sh: gl-upload-test.sh path/to/shmup
set -euo pipefail
source "$(dirname "$0")/game-env.sh" "$1"
command -v apitrace >/dev/null \
    || fail "apitrace not found; install it (apt-get install apitrace; scripts/test does)"

trace="$work/shmup.trace"
(cd "$bin_dir" && exec apitrace trace --output "$trace" "$game" --present gl --fullscreen) \
    >"$work/apitrace.log" 2>&1 &
tracer=$!
sleep 5
# apitrace runs the game as its child: the game is the one to stop.
pid="$(pgrep -P "$tracer" || true)"
[ -n "$pid" ] || { cat "$work/apitrace.log" >&2; fail "the game did not run under apitrace"; }
kill -TERM "$pid"
wait "$tracer" || true
pid=

apitrace dump "$trace" 2>/dev/null | awk '
    /glTex(Sub)?Image2D\(/ && swaps >= 2 && match($0, /blob\([0-9]+\)/) {
        bytes += substr($0, RSTART + 5, RLENGTH - 6)
    }
    /SwapBuffers\(/ { if (++swaps >= 2) { counted = swaps - 2; total = bytes } }
    END {
        if (counted < 10) { print "FAIL: only " counted " pictures past the first two"; exit 1 }
        printf "%d pictures, %.0f bytes uploaded per picture\n", counted, total / counted
        if (total / counted > 1.5 * 640 * 480 * 4) { print "FAIL: over 1,843,200 a picture"; exit 1 }
    }' || fail "the OpenGL presenter uploads too much (see above)"
