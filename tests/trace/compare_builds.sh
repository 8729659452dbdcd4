#!/usr/bin/env bash
# Compares the traces (with --dump) of this build's shmup-trace and of the build
# against the other Qt major version, on every scenario and without input: the
# game must not depend on the Qt version. Skips (status 77) when the other
# build's tool is not there.
# Usage: compare_builds.sh this/shmup-trace other/shmup-trace path/to/scenarios
# SHMUP_OTHER_TRACE in the environment overrides the second argument.
set -euo pipefail

mine="$1"
other="${SHMUP_OTHER_TRACE:-${2:-}}"
scenarios="$3"
frames=800

if [ -z "$other" ] || [ ! -x "$other" ]; then
    echo "SKIP: no shmup-trace from the other Qt build (\"$other\"); build it, or point" \
        "SHMUP_OTHER_TRACE at it"
    exit 77
fi
echo "Comparing $mine with $other over $frames frames"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
compare() {
    local name="$1"
    shift
    env -u QT_QPA_PLATFORM "$mine" --dump --frames "$frames" "$@" >"$work/mine" 2>/dev/null
    env -u QT_QPA_PLATFORM "$other" --dump --frames "$frames" "$@" >"$work/other" 2>/dev/null
    if cmp -s "$work/mine" "$work/other"; then
        echo "same: $name"
    else
        echo "FAIL: $name differs; first difference:" >&2
        diff "$work/mine" "$work/other" | head -6 >&2 || true
        status=1
    fi
}
compare "no input"
for scenario in "$scenarios"/*.txt; do
    compare "$(basename "$scenario")" --input "$scenario"
done
exit "$status"
