#!/usr/bin/env bash
# Runs a command inside a fresh virtual X server: with-xvfb.sh COMMAND [ARGS...]
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
start_xvfb
trap stop_xvfb EXIT
status=0
"$@" || status=$?
exit "$status"
