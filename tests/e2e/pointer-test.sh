#!/usr/bin/env bash
# The mouse steers through the X server: hovering leaves the ship waiting at
# (320, 352); a 100-pixel drag to the left with the button held takes it to
# x 220 and fires while held; in a --scale 2 window a 200-pixel drag takes it
# the same 100 game pixels. The game records each run, and the recording,
# played by the trace tool, says where the ship ended.
# Run inside an X server:
#   with-xvfb.sh pointer-test.sh path/to/shmup path/to/shmup-trace
set -euo pipefail
trace="$2"
source "$(dirname "$0")/game-env.sh" "$1"

# drag NAME PIXELS ARGS...: starts the game with ARGS, hovers over it, then
# drags PIXELS to the left with the button held and lets go; the recording is
# $work/NAME.replay.
drag() {
    local name="$1" pixels="$2"
    shift 2
    start_game --record "$work/$name.replay" "$@"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    local x=$((X + WIDTH / 2)) y=$((Y + HEIGHT / 2))
    # The ship is in place from about 1.05 s; the pointer wanders over it first.
    xdotool mousemove "$((x - 150))" "$y"
    sleep 0.6
    xdotool mousemove "$x" "$((y + 50))"
    sleep 0.8
    xdotool mousemove "$x" "$y" mousedown 1
    local step
    for step in 1 2 3 4; do
        xdotool mousemove "$((x - pixels * step / 4))" "$y"
        sleep 0.05
    done
    # 25 straight steps of 4 pixels take 0.4 s.
    sleep 0.9
    xdotool mouseup 1
    sleep 0.3
    kill -TERM "$pid"
    expect_clean_exit "$name"
}

# ship_at NAME: where the recorded game left the ship, "X,Y".
ship_at() {
    local frames
    frames=$(($(last_check "$work/$1.replay") + 1))
    "$trace" --input "$work/$1.replay" --frames "$frames" 2>/dev/null | tail -n 1 \
        | sed -n 's/.* shippos=\([^ ]*\).*/\1/p'
}

# checks NAME: the recording holds no steering before the press, left with
# fire while dragging, fire alone once there, and then nothing; the ship ends
# at (220, 352).
checks() {
    local name="$1" kinds
    kinds="$(grep -v '^#' "$work/$name.replay" | awk '{ print $2 " " $3 }' | uniq | tr '\n' '|')"
    # A recording writes what changes: nothing while the pointer hovers. The
    # press may be seen a frame before the first move.
    [[ "$kinds" =~ ^(0\ 1\|)?3\ 1\|0\ 1\|0\ 0\|$ ]] \
        || { cat "$work/$name.replay" >&2; fail "$name: steered as '$kinds', not hover, left and fire, fire, release"; }
    [ "$(ship_at "$name")" = "220,352" ] || fail "$name: the ship ended at $(ship_at "$name"), not 220,352"
    echo "$name: hovering left the ship at its point; the drag took it to 220,352 firing"
}

echo "== a 100-pixel drag in the 640x480 window"
drag window 100
checks window
echo "== a 200-pixel drag in a --scale 2 window"
drag scaled 200 --scale 2
checks scaled
