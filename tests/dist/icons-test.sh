#!/usr/bin/env bash
# The committed desktop icons are what shmup-makeicon draws from the committed
# sprite sheet, byte for byte: a changed ship changes its icons too.
# Usage: icons-test.sh SHMUP-MAKEICON SOURCE-DIR
set -euo pipefail
makeicon="$1"
source_dir="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen \
    "$makeicon" "$source_dir/img/edge1.png" "$work" >/dev/null
status=0
for drawn in "$work"/*.png; do
    committed="$source_dir/dist/icons/$(basename "$drawn")"
    if ! cmp -s "$drawn" "$committed"; then
        echo "FAIL: $committed is not what shmup-makeicon draws from img/edge1.png;" \
            "run build/bin/shmup-makeicon from the source folder and commit the icons" >&2
        status=1
    fi
done
ls "$work"/*.png >/dev/null 2>&1 || { echo "FAIL: shmup-makeicon drew no icon" >&2; exit 1; }
[ "$status" -eq 0 ] && echo "The committed icons are drawn from the committed sheet"
exit "$status"
