#!/usr/bin/env bash
# Checks a shmup Debian package: Debian's own checker (lintian) and the
# validators of the desktop entry, the AppStream metainfo and the manual pages
# find nothing wrong; its name and control fields, the files it installs in
# Debian's places, the maintainer scripts (maintainer-scripts-test.sh), that
# its Depends names the package of every library the programs
# link and of Qt's platform plugins (Wayland's in Recommends), that every
# package it names exists for
# the architecture at the version asked for (for a board, in the archive the
# sysroot came from), that the kiosk unit starts the packaged game, and that
# the C library floor covers the binaries. Then unpacks it into a temporary
# root and starts the `shmup` command from another folder, natively or (for an
# ARM package) under qemu-user with the board's sysroot, checking that the game
# runs and finds its sprite sheet; and traces a few frames with the packaged
# shmup-trace.
# Usage: check-package.sh PACKAGE.deb DEBARCH VERSION [SYSROOT]
set -euo pipefail

deb="$1"
arch="$2"
version="$3"
sysroot="${4:-}"

source "$(dirname "$0")/../support/checks.sh"

[ -f "$deb" ] || { echo "FAIL: no package at $deb; build it with cpack" >&2; exit 1; }
echo "Checking $deb"

[ "$(basename "$deb")" = "shmup_${version}_${arch}.deb" ] \
    || fail "the package is named $(basename "$deb"), not shmup_${version}_${arch}.deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = shmup ] || fail "Package is \"$(field Package)\", not shmup"
[ "$(field Version)" = "$version" ] || fail "Version is \"$(field Version)\", not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is \"$(field Architecture)\", not $arch"
depends="$(field Depends)"
echo "Depends: $depends"

# Names of the packages in Depends, without versions.
depends_names=" $(echo "$depends" | tr ',|' '\n' | sed 's/(.*)//; s/:any//' | xargs) "
depends_on() { case "$depends_names" in *" $1 "*) return 0 ;; esac; return 1; }

contents="$(dpkg-deb -c "$deb")"
for path in ./usr/games/shmup ./usr/games/shmup-trace ./usr/share/games/shmup/edge1.png \
    ./usr/lib/systemd/system/shmup-kiosk.service ./usr/share/doc/shmup/copyright \
    ./usr/share/doc/shmup/changelog.gz ./usr/share/man/man6/shmup.6.gz \
    ./usr/share/man/man6/shmup-trace.6.gz ./usr/share/applications/shmup.desktop \
    ./usr/share/icons/hicolor/64x64/apps/shmup.png ./usr/share/icons/hicolor/128x128/apps/shmup.png; do
    echo "$contents" | awk '{ print $6 }' | grep -qxF "$path" || fail "$path is not in the package"
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$work/root"
dpkg-deb -x "$deb" "$root"
unit="$root/usr/lib/systemd/system/shmup-kiosk.service"
[ ! -f "$unit" ] || grep -q '^ExecStart=/usr/games/shmup ' "$unit" \
    || fail "the kiosk unit does not start /usr/games/shmup"

# Debian's checker: no error, no warning, and no note that is not overridden
# in the package with the reason why.
command -v lintian >/dev/null || { echo "FAIL: lintian not found; install it (scripts/lib.sh lists it)" >&2; exit 1; }
lintian --display-info --no-tag-display-limit "$deb" >"$work/lintian" 2>&1 || true
echo "lintian: $(grep -c '^E: ' "$work/lintian" || true) errors," \
    "$(grep -c '^W: ' "$work/lintian" || true) warnings, $(grep -c '^I: ' "$work/lintian" || true) notes"
if grep -q '^[EWI]: ' "$work/lintian"; then
    grep '^[EWI]: ' "$work/lintian" >&2
    fail "lintian finds the above in $(basename "$deb")"
fi

# The desktop entry, the metainfo and the manual pages, as installed.
desktop="$root/usr/share/applications/shmup.desktop"
metainfo="$(ls "$root"/usr/share/metainfo/*.metainfo.xml 2>/dev/null | head -1)"
desktop-file-validate "$desktop" >"$work/desktop" 2>&1 || true
if [ -s "$work/desktop" ]; then
    cat "$work/desktop" >&2
    fail "desktop-file-validate finds the above in the desktop entry"
fi
if [ -z "$metainfo" ]; then
    fail "the package holds no AppStream metainfo in /usr/share/metainfo"
else
    appstreamcli validate --no-net --pedantic "$metainfo" >"$work/appstream" 2>&1 || true
    if grep -qE '^[EW]: ' "$work/appstream"; then
        cat "$work/appstream" >&2
        fail "appstreamcli finds errors or warnings in $(basename "$metainfo")"
    fi
fi
# The changelog's newest entry, and the metainfo's newest release, are this version.
changelog="$(zcat "$root/usr/share/doc/shmup/changelog.gz")"
changelog_version="$(echo "$changelog" | head -1 | sed -n 's/^shmup (\([^)]*\)).*/\1/p')"
[ "$changelog_version" = "$version" ] \
    || fail "the changelog's newest entry is version \"$changelog_version\", not $version"
changelog_date="$(date -u +%F -d "$(echo "$changelog" | sed -n '0,/^ -- /s/^ -- .*>  //p')")"
release="<release version=\"$version\" date=\"$changelog_date\">"
[ -z "$metainfo" ] || grep -qF "$release" "$metainfo" \
    || fail "the metainfo has no $release, the changelog's newest entry"
for page in "$root"/usr/share/man/man6/*.gz; do
    warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)"
    [ -z "$warnings" ] || fail "man --warnings on $(basename "$page"): $warnings"
done

"$(dirname "$0")/maintainer-scripts-test.sh" "$deb" || fail "the maintainer scripts misbehave"

# Every library a program links must come from a package in Depends. Debian
# names library packages alike on every architecture, so this machine's own
# package database tells which package holds a library.
host_multiarch="$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)"
package_of() {
    { dpkg -S "*/$host_multiarch/$1" 2>/dev/null || true; } | head -1 | sed 's/:.*//; s/, .*//'
}
needed="$(for f in "$root"/usr/games/*; do
    readelf -d "$f" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'
done | sort -u)"
[ -n "$needed" ] || fail "found no libraries the programs link (readelf)"
qt_major=""
for soname in $needed; do
    case "$soname" in libQt6*) qt_major=6 ;; libQt5*) qt_major=5 ;; esac
    case "$soname" in
    # The dynamic loader, named after the architecture, is libc6's on every one
    # (arm64 programs link it for the stack protector's guard).
    ld-linux*) package=libc6 ;;
    *) package="$(package_of "$soname")" ;;
    esac
    if [ -z "$package" ]; then
        fail "no installed package holds $soname, so Depends cannot be checked for it;" \
            "install the library's package on this machine"
    elif ! depends_on "$package"; then
        fail "the programs link $soname (package $package), which Depends does not name"
    fi
done
if [ -z "$qt_major" ]; then
    fail "the programs link no Qt library"
else
    # Qt loads its platform plugins at run time: the board's framebuffer
    # (linuxfb), OpenGL ES (eglfs) and X11 (xcb).
    for plugin in linuxfb eglfs xcb; do
        package="$(package_of "qt$qt_major/plugins/platforms/libq$plugin.so")"
        if [ -z "$package" ]; then
            fail "no installed package holds Qt $qt_major's $plugin platform plugin"
        elif ! depends_on "$package"; then
            fail "Depends does not name $package, which holds Qt's $plugin platform plugin"
        fi
    done
    # Wayland's is recommended: a desktop gets it, a board may go without.
    package="$(package_of "qt$qt_major/plugins/platforms/libqwayland-generic.so")"
    if [ -z "$package" ]; then
        fail "no installed package holds Qt $qt_major's Wayland platform plugin"
    elif [ "$(field Recommends)" != "$package" ]; then
        fail "Recommends is \"$(field Recommends)\", not $package, which holds Qt's Wayland plugin"
    fi
fi

# The newest C library symbol version the binaries use must not be above the floor.
libc_floor="$(echo "$depends" | tr ',' '\n' | sed -n 's/^ *libc6 *(>= *\([^)]*\)).*/\1/p')"
libc_used="$(for f in "$root"/usr/games/*; do
    readelf -V "$f" | { grep -o 'GLIBC_[0-9.]*' || true; } | sed 's/GLIBC_//'
done | sort -V | tail -1)"
if [ -z "$libc_floor" ]; then
    fail "Depends names no libc6 (>= version)"
elif [ -n "$libc_used" ] && dpkg --compare-versions "$libc_used" gt "$libc_floor"; then
    fail "the programs use C library symbols of version $libc_used, newer than the" \
        "libc6 (>= $libc_floor) of Depends"
fi

# Every package in Depends and Recommends must exist for the package's architecture, at the
# version asked for: for a board's package in its archive, from which the
# sysroot was unpacked (every Debian package leaves /usr/share/doc/NAME, whose
# changelog starts with the version); for this machine's, installed here.
# Prints the version, or nothing when the package is not there.
version_of() {
    if [ -n "$sysroot" ]; then
        [ -e "$sysroot/usr/share/doc/$1" ] || return 0
        local have
        have="$( (zcat "$sysroot/usr/share/doc/$1/changelog.Debian.gz" 2>/dev/null || true) \
            | head -1 | sed -n 's/^[^ ]* (\([^)]*\)).*/\1/p')"
        echo "${have:-0}"
    else
        { dpkg-query -W -f='${Status} ${Version}\n' "$1:$arch" 2>/dev/null || true; } \
            | sed -n 's/^install ok installed //p'
    fi
}
where="installed packages of this machine"
[ -z "$sysroot" ] || where="the board's archive, as unpacked in $sysroot"
while IFS= read -r dependency; do
    name="${dependency%%[ (]*}"
    minimum="$(echo "$dependency" | sed -n 's/.*(>= *\([^)]*\)).*/\1/p')"
    [ -n "$name" ] || continue
    have="$(version_of "$name")"
    if [ -z "$have" ]; then
        fail "the package names $name, which is not to be had for $arch ($where)"
    elif [ -n "$minimum" ] && [ "$have" != 0 ] && dpkg --compare-versions "$have" lt "$minimum"; then
        fail "Depends asks for $name (>= $minimum), but $arch has $have"
    fi
done < <(echo "$depends, $(field Recommends)" | tr ',' '\n' | sed 's/^ *//')

# What runs a packaged program: nothing natively, qemu-user with the sysroot
# for a board's package.
runner=()
if [ "$arch" != "$(dpkg --print-architecture)" ]; then
    case "$arch" in
    arm64) qemu=qemu-aarch64-static triplet=aarch64-linux-gnu ;;
    armhf) qemu=qemu-arm-static triplet=arm-linux-gnueabihf ;;
    *) echo "FAIL: cannot run $arch programs on this machine" >&2; exit 1 ;;
    esac
    [ -d "$sysroot/usr/lib/$triplet" ] \
        || { echo "FAIL: no $arch sysroot given (\"$sysroot\"); scripts/cross makes one" >&2; exit 1; }
    # qemu's -L does not redirect every file lookup Qt makes: the plugins need a path.
    runner=(env "QT_PLUGIN_PATH=$sysroot/usr/lib/$triplet/qt$qt_major/plugins"
            "$qemu" -L "$sysroot")
fi

# From a folder with no ../img beside it, as a user starting `shmup` anywhere.
elsewhere="$work/home/somewhere"
mkdir -p "$elsewhere"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
command_path="$(cd "$elsewhere" && PATH="$root/usr/games:$PATH" command -v shmup)" || true
if [ "$command_path" != "$root/usr/games/shmup" ]; then
    fail "the shmup command on the PATH is \"$command_path\", not the package's"
else
    status=0
    (cd "$elsewhere" && env -u QT_QPA_PLATFORM timeout 4 "${runner[@]}" "$command_path" \
        -platform offscreen >"$work/game.out" 2>"$work/game.err") || status=$?
    # 124: still running when the time was up, as a game should be.
    if [ "$status" -ne 124 ]; then
        fail "the installed game ended with status $status within 4 seconds; its stderr:"
        cat "$work/game.err" >&2
    elif grep -q 'edge1\.png' "$work/game.err"; then
        fail "the installed game, started from another folder, did not find its sprite sheet:"
        cat "$work/game.err" >&2
    else
        echo "The installed game runs from another folder and finds its sprite sheet"
    fi
fi

trace_status=0
(cd "$elsewhere" && QT_QPA_PLATFORM=offscreen "${runner[@]}" "$root/usr/games/shmup-trace" --frames 60 \
    >"$work/trace.out" 2>"$work/trace.err") || trace_status=$?
if [ "$trace_status" -ne 0 ] || [ "$(grep -c '^frame=' "$work/trace.out")" -ne 60 ] \
    || grep -q 'edge1\.png' "$work/trace.err"; then
    fail "the installed shmup-trace (status $trace_status) did not trace 60 frames cleanly:"
    cat "$work/trace.err" >&2
else
    echo "The installed shmup-trace traces 60 frames"
fi

# A sheet at ../img/edge1.png under the working directory comes first, before
# the installed one: a 1x1 picture there is used, and warned about.
mkdir -p "$work/home/own/bin" "$work/home/own/img"
printf 'P6\n1 1\n255\n\377\0\0' >"$work/home/own/img/edge1.png"
(cd "$work/home/own/bin" && QT_QPA_PLATFORM=offscreen "${runner[@]}" "$root/usr/games/shmup-trace" \
    --frames 1 >/dev/null 2>"$work/own.err") || true
if grep -q '"../img/edge1.png".*1x1 pixels' "$work/own.err"; then
    echo "The installed programs use a sheet under the working directory first"
else
    cat "$work/own.err" >&2
    fail "the installed shmup-trace did not use ../img/edge1.png before its own sheet"
fi

end_checks "The package holds what it must: $deb" "$deb"
