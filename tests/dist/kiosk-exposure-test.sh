#!/usr/bin/env bash
# The kiosk unit as installed keeps what the game may touch small: systemd's own
# audit (systemd-analyze security) rates its exposure at most 2.0 of 10, and the
# only devices it may open are the display's, the input's and the sound card's.
# Run on the unit file alone (--offline), as on a machine where it is installed
# but not loaded.
# Usage: kiosk-exposure-test.sh BUILD-DIR
set -euo pipefail
build_dir="$1"
highest=2.0
command -v systemd-analyze >/dev/null \
    || { echo "FAIL: systemd-analyze not found; install the systemd package (scripts/lib.sh lists it)" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
unit="$work/prefix/lib/systemd/system/shmup-kiosk.service"
[ -f "$unit" ] || { echo "FAIL: $unit is not installed" >&2; exit 1; }

# Older systemd (before 250) has no offline audit: say so rather than pass.
if ! systemd-analyze security --offline=yes "$unit" >"$work/audit" 2>&1; then
    cat "$work/audit" >&2
    echo "FAIL: systemd-analyze security --offline=yes could not rate the unit (systemd 250 or" \
        "later has it; see the message above)" >&2
    exit 1
fi
exposure="$(sed -n 's/^.*Overall exposure level for shmup-kiosk\.service: \([0-9][0-9.]*\).*$/\1/p' \
    "$work/audit")"
[ -n "$exposure" ] \
    || { cat "$work/audit" >&2; echo "FAIL: no overall exposure level in the audit above" >&2; exit 1; }
if ! awk -v e="$exposure" -v h="$highest" 'BEGIN { exit !(e <= h) }'; then
    grep '✗' "$work/audit" >&2 || true
    echo "FAIL: the kiosk unit's exposure is $exposure, above $highest; the settings marked" \
        "above are the ones still open (dist/systemd/shmup-kiosk.service.in says which must stay so)" >&2
    exit 1
fi

# The rating counts every device list alike: the devices it may open are the
# display's, the input's and the sound card's alone (no disks, no other hardware).
allowed="$(sed -n 's/^DeviceAllow=//p' "$unit" | sort | tr '\n' ' ')"
[ "$allowed" = "char-alsa rw char-drm rw char-fb rw char-input rw char-tty rw " ] \
    || { echo "FAIL: the unit allows the devices '$allowed', not the display's, input's and sound's alone" >&2
         exit 1; }
echo "The kiosk unit's exposure is $exposure (at most $highest)"
