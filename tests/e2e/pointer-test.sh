#!/usr/bin/env bash
# The mouse steers through the X server: hovering leaves the ship alone; a
# 100-pixel drag to the left with the button held takes it 100 pixels left and
# fires while held; in a --scale 2 window a 200-pixel drag takes it
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
    # One xdotool for the whole drag: on a busy machine starting one per step
    # can take longer than the drag itself.
    xdotool mousemove "$x" "$y" mousedown 1 \
        mousemove "$((x - pixels / 4))" "$y" sleep 0.05 mousemove "$((x - pixels / 2))" "$y" \
        sleep 0.05 mousemove "$((x - pixels * 3 / 4))" "$y" sleep 0.05 mousemove "$((x - pixels))" "$y"
    # 25 straight steps of 4 pixels take 0.4 s.
    sleep 0.9
    xdotool mouseup 1
    sleep 0.3
    kill -TERM "$pid"
    expect_clean_exit "$name"
}

# ship_at NAME FRAMES: where the recorded game had the ship after FRAMES
# frames, "X Y".
ship_at() {
    "$trace" --input "$work/$1.replay" --frames "$2" 2>/dev/null | tail -n 1 \
        | sed -n 's/.* shippos=\([^,]*\),\([^ ]*\).*/\1 \2/p'
}

# checks NAME: the recording holds nothing while the pointer hovers, fire
# from the press to the release, and then nothing; the ship ends 100 pixels
# left of where the press found it. On a busy machine the press may come while
# the ship still enters, and a late move may let it catch up and wait.
checks() {
    local name="$1" press at end
    grep -v '^#' "$work/$name.replay" | awk '{ print $3 }' | tr -d '\n' | grep -qx '1*0' \
        || { cat "$work/$name.replay" >&2; fail "$name: not fire from the press alone to the release"; }
    press="$(grep -v '^#' "$work/$name.replay" | head -n 1 | cut -d' ' -f1)"
    read -r -a at <<<"$(ship_at "$name" "$press")"
    end="$(ship_at "$name" $(($(last_check "$work/$name.replay") + 1)))"
    [ "$end" = "$((at[0] - 100)) ${at[1]}" ] \
        || fail "$name: the ship went from ${at[*]} at frame $press to $end, not 100 pixels left"
    echo "$name: hovering left the ship alone; the drag took it 100 pixels left, to $end, firing"
}

echo "== a 100-pixel drag in the 640x480 window"
drag window 100
checks window
echo "== a 200-pixel drag in a --scale 2 window"
drag scaled 200 --scale 2
checks scaled
