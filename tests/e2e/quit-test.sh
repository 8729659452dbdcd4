#!/usr/bin/env bash
# Every way to quit on purpose ends the game cleanly: SIGTERM, SIGINT and SIGHUP
# sent to the running game, and Escape pressed in its window, each give status 0
# and nothing on stderr. The game runs in the background of this script, as a
# launcher would start it, so it inherits SIGINT ignored and must quit on it all
# the same. In a sanitizer build this also checks the teardown after a signal.
# Run inside an X server: with-xvfb.sh quit-test.sh path/to/shmup
set -euo pipefail

source "$(dirname "$0")/game-env.sh" "$1"

# The premise: a job this script starts in the background has SIGINT ignored
# (a background awk reads its own signal state).
awk '/^SigIgn:/ { print $2 }' /proc/self/status >"$work/ignored" &
wait $!
(( (16#$(cat "$work/ignored") & 2) != 0 )) \
    || fail "background jobs here do not ignore SIGINT"

# quit_by WAY: starts the game, plays with fire held for a second, quits it by
# WAY (TERM, INT, HUP or Escape) and checks the exit.
quit_by() {
    local way="$1"
    echo "== quitting by $way"
    start_game
    # The ship is active from about 1.05 s: shots, enemies and bullets alive.
    sleep 1.2
    xdotool windowfocus --sync "$window"
    xdotool keydown z
    sleep 1
    if [ "$way" = Escape ]; then
        xdotool key Escape
    else
        kill -"$way" "$pid"
    fi
    xdotool keyup z 2>/dev/null || true
    expect_clean_exit "$way"
}

for way in TERM INT HUP Escape; do
    quit_by "$way"
done
