#!/usr/bin/env bash
# Closing the window ends the game cleanly: the game runs for a few seconds with
# fire held (shots, enemies, bullets and explosions alive), gets a window
# manager's close request, and must exit with status 0 and write nothing on
# stderr. In a sanitizer build this covers the whole tear-down: the window, the
# application, then the task manager, sprite cache and joystick at process
# exit, with leak checking on.
# Run inside an X server: with-xvfb.sh shutdown-test.sh path/to/shmup path/to/shmup-window
set -euo pipefail

window_tool="$2"
source "$(dirname "$0")/game-env.sh" "$1"

start_game

# The ship is active from about 1.05 s; steer and fire until 3 s.
sleep 1.3
xdotool windowfocus --sync "$window"
xdotool keydown Left z
sleep 1.7
"$window_tool" close "$window" || fail "could not send the close request"
xdotool keyup Left z 2>/dev/null || true

expect_clean_exit "close request"
