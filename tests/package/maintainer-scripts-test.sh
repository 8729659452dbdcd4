#!/usr/bin/env bash
# The package's maintainer scripts, run as dpkg runs them on a root of their
# own (deb-systemd-helper's DPKG_ROOT): installing never enables the kiosk
# unit; an upgrade keeps the admin's enabling; a removal masks the unit; a
# reinstall lifts the mask; a purge leaves no link, mask or state behind.
# systemctl and deb-systemd-invoke are stand-ins that refuse to start or
# enable anything, in case systemd runs here.
# Usage: maintainer-scripts-test.sh PACKAGE.deb
set -euo pipefail
deb="$1"
command -v deb-systemd-helper >/dev/null \
    || { echo "FAIL: deb-systemd-helper not found; install init-system-helpers" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$work/root"
unit=shmup-kiosk.service
wants="$root/etc/systemd/system/multi-user.target.wants/$unit"
mask="$root/etc/systemd/system/$unit"
dpkg-deb -e "$deb" "$work/control"
mkdir -p "$work/stubs"
for tool in systemctl deb-systemd-invoke; do
    printf '#!/bin/sh\necho "%s $*" >>"%s"\ncase "$*" in *start*|*enable*) exit 1 ;; esac\n' \
        "$tool" "$work/calls" >"$work/stubs/$tool"
    chmod +x "$work/stubs/$tool"
done

source "$(dirname "$0")/../support/checks.sh"
# run SCRIPT ARGS...: one maintainer script, as dpkg would call it.
run() {
    local script="$1"
    shift
    [ ! -e "$work/control/$script" ] && return 0
    DPKG_ROOT="$root" DPKG_MAINTSCRIPT_PACKAGE=shmup DPKG_MAINTSCRIPT_NAME="$script" \
        PATH="$work/stubs:$PATH" "$work/control/$script" "$@" \
        || fail "$script $* ended with status $?"
}
unpack() { dpkg-deb -x "$deb" "$root"; }

unpack
run postinst configure
[ ! -L "$wants" ] || fail "installing the package enabled the kiosk unit"

# The admin enables it; an upgrade keeps it enabled and records the link.
mkdir -p "$(dirname "$wants")"
ln -sfn "/usr/lib/systemd/system/$unit" "$wants"
run prerm upgrade 1.0.0
unpack
run postinst configure 1.0.0
[ -L "$wants" ] || fail "an upgrade removed the admin's enabling of the unit"

run prerm remove
rm -f "$root/usr/lib/systemd/system/$unit"
run postrm remove
[ "$(readlink "$mask" 2>/dev/null)" = /dev/null ] || fail "a removal did not mask the unit"

unpack
run postinst configure 1.0.0
[ ! -L "$mask" ] || fail "installing the package again left the unit masked"

run prerm remove
rm -f "$root/usr/lib/systemd/system/$unit"
run postrm remove
run postrm purge
left="$(find "$root/etc" "$root/var" -name "$unit*" 2>/dev/null || true)"
[ -z "$left" ] || fail "a purge left behind: $left"

if [ -s "$work/calls" ] && grep -qE 'start|enable' "$work/calls"; then
    fail "the scripts asked to start or enable the unit: $(cat "$work/calls")"
fi
end_checks "The maintainer scripts tell systemd of the unit and forget it, never enabling it" \
    "the maintainer scripts"
