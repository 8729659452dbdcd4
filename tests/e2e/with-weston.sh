#!/usr/bin/env bash
# Runs a command inside a fresh headless Wayland compositor (weston's headless
# backend), with no X server: with-weston.sh COMMAND [ARGS...]
# The command gets WAYLAND_DISPLAY and a private XDG_RUNTIME_DIR (mode 0700, as
# Qt and weston want it), and no DISPLAY, so nothing can fall back to X.
set -euo pipefail

if ! command -v weston >/dev/null; then
    echo "FAIL: weston not found; install it (apt-get install weston; scripts/test does)" >&2
    exit 1
fi

unset DISPLAY
XDG_RUNTIME_DIR="$(mktemp -d)"
chmod 0700 "$XDG_RUNTIME_DIR"
export XDG_RUNTIME_DIR
socket="shmup-test-$$"
log="$XDG_RUNTIME_DIR/weston.log"

weston_pid=
stop_weston() {
    if [ -n "$weston_pid" ]; then
        kill "$weston_pid" 2>/dev/null || true
        wait "$weston_pid" 2>/dev/null || true
    fi
    rm -rf "$XDG_RUNTIME_DIR"
}
trap stop_weston EXIT

# --no-config: no weston.ini of the machine's or the user's changes the test.
weston --backend=headless-backend.so --socket="$socket" --no-config --idle-time=0 \
    >"$log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
    kill -0 "$weston_pid" 2>/dev/null || break
    sleep 0.1
done
if ! [ -S "$XDG_RUNTIME_DIR/$socket" ]; then
    cat "$log" >&2
    echo "FAIL: the headless weston did not start (its log is above)" >&2
    exit 1
fi
export WAYLAND_DISPLAY="$socket"

status=0
"$@" || status=$?
exit "$status"
