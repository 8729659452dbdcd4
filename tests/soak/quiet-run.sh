#!/usr/bin/env bash
# Runs a command with its standard output thrown away and fails unless it exits
# 0 with nothing on stderr: a sanitizer report, a leak found at exit or a Qt
# warning all fail it. Usage: quiet-run.sh COMMAND [ARGS...]
set -euo pipefail
err="$(mktemp)"
runtime="$(mktemp -d)"
trap 'rm -rf "$err" "$runtime"' EXIT
# Qt warns on stderr when XDG_RUNTIME_DIR is missing, as on a fresh CI machine.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$runtime}"
status=0
"$@" >/dev/null 2>"$err" || status=$?
if [ -s "$err" ]; then
    head -n 200 "$err" >&2
    echo "FAIL: $1 wrote the lines above on stderr (status $status)" >&2
    exit 1
fi
[ "$status" -eq 0 ] || { echo "FAIL: $1 exited with status $status" >&2; exit 1; }
echo "$*: status 0, nothing on stderr"
