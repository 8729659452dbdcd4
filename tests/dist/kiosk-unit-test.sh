#!/usr/bin/env bash
# The kiosk unit as installed: systemd finds nothing wrong with it (every key
# known, every value valid, the game it starts there and executable, its
# manual page installed), and it names the game under the prefix given at
# install time, not at configure time.
# Usage: kiosk-unit-test.sh BUILD-DIR
set -euo pipefail
build_dir="$1"
command -v systemd-analyze >/dev/null \
    || { echo "FAIL: systemd-analyze not found; install the systemd package (scripts/lib.sh lists it)" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Into a prefix of its own, where the game really is.
prefix="$work/prefix"
cmake --install "$build_dir" --prefix "$prefix" >/dev/null
unit="$prefix/lib/systemd/system/shmup-kiosk.service"
[ -f "$unit" ] || { echo "FAIL: $unit is not installed" >&2; exit 1; }
grep -qx "ExecStart=$prefix/games/shmup -platform \${SHMUP_PLATFORM}" "$unit" \
    || { grep -n ExecStart "$unit" >&2; echo "FAIL: the unit does not start $prefix/games/shmup" >&2; exit 1; }
# verify reports unknown keys and bad values on stderr without failing. It
# also looks up the manual page of Documentation=: the one installed here.
status=0
MANPATH="$prefix/share/man" systemd-analyze verify "$unit" >"$work/verify" 2>&1 || status=$?
if [ "$status" -ne 0 ] || [ -s "$work/verify" ]; then
    cat "$work/verify" >&2
    echo "FAIL: systemd-analyze verify found the problems above (status $status)" >&2
    exit 1
fi

# Staged for a package, as CPack does: prefix /usr under DESTDIR.
DESTDIR="$work/stage" cmake --install "$build_dir" --prefix /usr >/dev/null
grep -qx 'ExecStart=/usr/games/shmup -platform ${SHMUP_PLATFORM}' \
    "$work/stage/usr/lib/systemd/system/shmup-kiosk.service" \
    || { echo "FAIL: the staged unit does not start /usr/games/shmup" >&2; exit 1; }
echo "The kiosk unit verifies clean and starts the installed game"
