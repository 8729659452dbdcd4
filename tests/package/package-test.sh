#!/usr/bin/env bash
# Makes this build's Debian package with cpack into a temporary folder and
# checks it (check-package.sh).
# Usage: package-test.sh BUILD-DIR DEBARCH VERSION
set -euo pipefail
build_dir="$1"
arch="$2"
version="$3"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
if ! cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log" >&2
    echo "FAIL: cpack could not make the package in $out" >&2
    exit 1
fi
"$(dirname "$0")/check-package.sh" "$out/shmup_${version}_${arch}.deb" "$arch" "$version"
