#!/usr/bin/env bash
# Replays of real games: a bad replay file is refused before any window; a game steered and fired with key presses is recorded,
# closed and verified; watched again it checks out (and records the same
# steps); with one state line changed, watching warns once at the first check
# after it; a game ended by SIGTERM mid-game leaves a replay that verifies;
# /dev/full as the path warns once and the game plays on; and a game whose X
# server goes away still leaves a replay that verifies to its last frame.
# Run inside an X server:
#   with-xvfb.sh replay-test.sh path/to/shmup path/to/shmup-window path/to/shmup-trace
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"

window_tool="$2"
trace="$3"

source "$(dirname "$0")/game-env.sh" "$1"

# Our lines on stderr: Qt may say where its runtime folder is.
said() {
    grep -v '^QStandardPaths' "$work/stderr" || true
}

close_game() {
    "$window_tool" close "$window" || fail "could not send the close request"
    wait_exit
    [ "$status" -eq 0 ] || { said >&2; fail "the game exited with status $status"; }
}

steps() {
    grep -v '^#' "$1"
}

echo "== a bad replay file"
printf '0 0 0\n# check 10 not-a-hash\n' >"$work/bad.replay"
for bad in "$work/bad.replay" "$work/missing.replay"; do
    status=0
    (cd "$bin_dir" && exec "$game" --replay "$bad") >"$work/stdout" 2>"$work/stderr" || status=$?
    [ "$status" -eq 2 ] || fail "a bad replay: status $status, not 2"
    [ "$(said | wc -l)" -eq 1 ] && said | grep -q "^shmup: .*$bad" \
        || { said >&2; fail "a bad replay: not one line naming the file"; }
done

echo "== recording a game steered with the keys"
start_game --record "$work/keys.replay"
# The ship is in place from about 1.05 s: left with fire, then up with fire.
sleep 1.3
xdotool windowfocus --sync "$window"
xdotool keydown Left z
sleep 0.7
xdotool keyup Left
xdotool keydown Up
sleep 0.4
xdotool keyup Up z
sleep 0.3
close_game
[ -z "$(said)" ] || { said >&2; fail "the recording game wrote the lines above"; }
head -n 1 "$work/keys.replay" | grep -qx '# shmup replay 1' || fail "no replay header"
steps "$work/keys.replay" | grep -q ' 3 1$' || { cat "$work/keys.replay"; fail "no left-and-fire line"; }
steps "$work/keys.replay" | grep -q ' 1 1$' || { cat "$work/keys.replay"; fail "no up-and-fire line"; }
tail -n 1 "$work/keys.replay" | grep -q '^# check ' || fail "the replay does not end with a check line"
frames=$(($(last_check "$work/keys.replay") + 1))
verified="$("$trace" --input "$work/keys.replay" --verify 2>/dev/null)" \
    || { cat "$work/keys.replay"; fail "the recorded replay does not verify: $verified"; }
echo "$verified"
[[ "$verified" == "replay verified: "*" checks over $frames frames" ]] || fail "unexpected: $verified"

echo "== watching it"
start_game --replay "$work/keys.replay" --record "$work/watched.replay"
sleep "$(awk -v f="$frames" 'BEGIN { print f / 60 + 1.5 }')"
close_game
[ -z "$(said)" ] || { said >&2; fail "watching the replay wrote the lines above"; }
[ "$(last_check "$work/watched.replay")" -ge "$frames" ] \
    || fail "the watch was closed before the replay ended (a slow machine?)"
# Watched, it steers as recorded, and lets go after its last frame.
steps "$work/keys.replay" >"$work/keys.steps"
steps "$work/watched.replay" | head -n "$(wc -l <"$work/keys.steps")" >"$work/watched.steps"
cmp -s "$work/keys.steps" "$work/watched.steps" \
    || { diff "$work/keys.steps" "$work/watched.steps" >&2 || true; fail "the watched game steered differently"; }
"$trace" --input "$work/watched.replay" --verify >/dev/null 2>&1 || fail "the watched game's replay does not verify"

echo "== watching it with one state line changed"
changed_line="$(steps "$work/keys.replay" | grep ' 3 1$' | head -n 1)"
changed_frame="${changed_line%% *}"
sed "s/^$changed_line\$/$changed_frame 7 1/" "$work/keys.replay" >"$work/changed.replay"
expected_frame="$(awk -v f="$changed_frame" '$1 == "#" && $2 == "check" && $3 >= f { print $3; exit }' "$work/changed.replay")"
start_game --replay "$work/changed.replay"
for _ in $(seq 150); do
    said | grep -q 'desync' && break
    sleep 0.1
done
sleep 0.3
# Keys no longer steer a replay, but Escape still quits.
xdotool windowfocus --sync "$window"
xdotool key Escape
wait_exit
[ "$status" -eq 0 ] || fail "Escape: the game exited with status $status"
said | grep -q "desync at frame $expected_frame: expected " \
    || { said >&2; fail "no warning naming frame $expected_frame"; }
[ "$(said | wc -l)" -eq 1 ] || { said >&2; fail "more than one line on stderr"; }
"$trace" --input "$work/changed.replay" --verify >"$work/verify.out" 2>/dev/null && fail "the changed replay verified"
grep -q "^desync at frame $expected_frame: " "$work/verify.out" || fail "verify: $(cat "$work/verify.out")"

echo "== a recording ended by SIGTERM in the middle of the game"
start_game --record "$work/term.replay"
sleep 1.3
xdotool windowfocus --sync "$window"
xdotool keydown Right z
sleep 0.8
kill -TERM "$pid"
wait_exit
xdotool keyup Right z 2>/dev/null || true
[ "$status" -eq 0 ] || fail "SIGTERM: the game exited with status $status"
steps "$work/term.replay" | grep -q ' 7 1$' || { cat "$work/term.replay"; fail "no right-and-fire line"; }
tail -n 1 "$work/term.replay" | grep -q '^# check ' || { cat "$work/term.replay"; fail "no last check line"; }
"$trace" --input "$work/term.replay" --verify || fail "the replay of a game ended by SIGTERM does not verify"

echo "== recording to /dev/full"
start_game --record /dev/full
sleep 1.5
kill -0 "$pid" 2>/dev/null || fail "the game stopped"
close_game
[ "$(said | wc -l)" -eq 1 ] || { said >&2; fail "not exactly one line on stderr"; }
said | grep -q '/dev/full' || { said >&2; fail "the warning does not name /dev/full"; }

echo "== the X server going away"
(
    start_xvfb
    trap 'stop_xvfb; [ -n "$pid" ] && kill "$pid" 2>/dev/null; true' EXIT
    start_game --record "$work/gone.replay"
    sleep 2
    kill "$XVFB_PID"
    wait_exit
    echo "the game exited with status $status"
)
tail -n 1 "$work/gone.replay" | grep -q '^# check ' || { cat "$work/gone.replay"; fail "no last check line"; }
"$trace" --input "$work/gone.replay" --verify || fail "the replay of a game whose X server went away does not verify"

echo "Recorded, verified and watched"
