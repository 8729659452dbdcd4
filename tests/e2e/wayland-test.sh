#!/usr/bin/env bash
# The game on a Wayland desktop with no X server at all: it runs natively
# (QT_QPA_PLATFORM=wayland, Qt's Wayland plugin) with nothing on stderr, plays
# an input script as a replay while recording the game for about five seconds,
# and ends on SIGTERM with status 0; the recording then verifies. The headless
# compositor takes no key presses from outside, so the script does the steering.
# Run inside a Wayland compositor:
#   with-weston.sh wayland-test.sh path/to/shmup path/to/shmup-trace SCRIPT PLUGIN-PACKAGE
# PLUGIN-PACKAGE names the Debian package of Qt's Wayland plugin for the hint
# given when the game cannot load it (qt6-wayland, or qtwayland5 for Qt 5).
set -euo pipefail

trace="$2"
script="$(cd "$(dirname "$3")" && pwd)/$(basename "$3")"
plugin_package="$4"

source "$(dirname "$0")/game-env.sh" "$1"

[ -z "${DISPLAY:-}" ] || fail "DISPLAY is set; run under tests/e2e/with-weston.sh, which clears it"
[ -n "${WAYLAND_DISPLAY:-}" ] || fail "no WAYLAND_DISPLAY; run under tests/e2e/with-weston.sh"
export QT_QPA_PLATFORM=wayland

# The steps of a script or replay with frame below 300, one space between fields.
steps_before_300() {
    awk '$1 !~ /^#/ && NF == 3 && $1 < 300 { print $1, $2, $3 }' "$1"
}

echo "== playing $(basename "$script") on Wayland while recording"
replay="$work/game.replay"
(cd "$bin_dir" && exec "$game" --replay "$script" --record "$replay") 2>"$work/stderr" &
pid=$!
# The recording writes its check line for frame 299 about 4.8 s in; a loaded
# machine gets 30 s.
for _ in $(seq 300); do
    grep -q '^# check 299 ' "$replay" 2>/dev/null && break
    if ! kill -0 "$pid" 2>/dev/null; then
        wait_exit
        cat "$work/stderr" >&2
        if grep -q 'Qt platform plugin "wayland"' "$work/stderr"; then
            fail "the game cannot load Qt's Wayland plugin (status $status); install $plugin_package"
        fi
        fail "the game ended on its own with status $status (its stderr is above)"
    fi
    sleep 0.1
done
grep -q '^# check 299 ' "$replay" 2>/dev/null \
    || { cat "$work/stderr" >&2; fail "no check line for frame 299 after 30 s: the game does not run its frames"; }
if [ -s "$work/stderr" ]; then
    cat "$work/stderr" >&2
    fail "the game wrote the lines above on stderr while playing"
fi

kill -TERM "$pid"
expect_clean_exit "SIGTERM on Wayland"

head -n 1 "$replay" | grep -qx '# shmup replay 1' || fail "the recording has no replay header"
tail -n 1 "$replay" | grep -q '^# check ' || { cat "$replay" >&2; fail "the recording does not end with a check line"; }
cmp -s <(steps_before_300 "$script") <(steps_before_300 "$replay") || {
    diff <(steps_before_300 "$script") <(steps_before_300 "$replay") >&2 || true
    fail "the recorded game was not steered as the script says (script <, recording >)"
}
frames=$(($(last_check "$replay") + 1))
verified="$(env -u QT_QPA_PLATFORM "$trace" --verify --input "$replay" 2>&1)" \
    || { cat "$replay" >&2; fail "the recording does not verify: $verified"; }
echo "$verified"
[[ "$verified" == "replay verified: "*" checks over $frames frames" ]] || fail "unexpected: $verified"
