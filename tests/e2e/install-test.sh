#!/usr/bin/env bash
# Installs the game into a temporary prefix and checks that the installed game,
# <prefix>/games/shmup, started from <prefix>/games, where no ../img is, finds
# its sheet in <prefix>/share/games/shmup, shows the game in a real window and
# closes cleanly.
# Usage: install-test.sh BUILD-DIR E2E-WINDOW-TEST
set -euo pipefail
build_dir="$1"
e2e="$2"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
for f in games/shmup share/games/shmup/edge1.png; do
    [ -e "$prefix/$f" ] || { echo "FAIL: $f is not installed" >&2; exit 1; }
done
SHMUP_BIN_DIR="$prefix/games" "$(dirname "$0")/with-xvfb.sh" "$e2e" windowShowsTheGame
