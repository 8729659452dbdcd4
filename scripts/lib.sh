# Shared by the scripts: installs what the build needs on a Debian machine.
# Sourced, not run.

SHMUP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Packages the build and the tests need; a fresh Debian machine has none of them.
# qt6-wayland and qtwayland5 are Qt's Wayland plugins (without one the game
# aborts in a Wayland session that has no XWayland); weston is the headless
# compositor the Wayland end-to-end test runs the game in. libqt6opengl6-dev
# builds the OpenGL presenter (Qt 5 has it in qtbase5-dev); apitrace counts
# what the presenter uploads; libvncserver-dev brings libvncclient, through
# which the vnc end-to-end test looks at the game.
SHMUP_PACKAGES=(cmake make g++ qt6-base-dev libqt6opengl6-dev qtbase5-dev libgl-dev libx11-dev
                xvfb xauth xdotool x11-utils fonts-dejavu-core systemd libsdl2-dev
                qt6-wayland qtwayland5 weston apitrace
                pkg-config libvncserver-dev
                dpkg-dev lintian desktop-file-utils appstream man-db ccache)

# Installs the missing packages in the list given (default: SHMUP_PACKAGES).
ensure_packages() {
    local wanted=("$@")
    [ ${#wanted[@]} -gt 0 ] || wanted=("${SHMUP_PACKAGES[@]}")
    local missing=()
    local p
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    if ! command -v apt-get >/dev/null; then
        echo "error: apt-get not found; install these packages by hand: ${missing[*]}" >&2
        return 1
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# Configures and builds into the folder given; extra arguments go to cmake.
# BUILD_TARGETS, when set, limits the build to those targets. Compiles go
# through ccache where it is installed, shared by every build folder of the tree
# (the kiosk machine's build of the game is then the desktop build's objects).
build_in() {
    local dir="$1"
    shift
    echo "Building in $dir"
    local cache=()
    if command -v ccache >/dev/null; then
        export CCACHE_BASEDIR="$SHMUP_ROOT" CCACHE_NOHASHDIR=1
        cache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$SHMUP_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${cache[@]}" "$@" >/dev/null
    local targets=()
    [ -z "${BUILD_TARGETS:-}" ] || targets=(--target ${BUILD_TARGETS})
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

# Starts a virtual X server on a free display (its screen SHMUP_XVFB_SCREEN,
# 1024x768x24 by default) and exports DISPLAY; the caller
# stops it with stop_xvfb (or a trap).
start_xvfb() {
    local fifo
    fifo="$(mktemp -u)"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${SHMUP_XVFB_SCREEN:-1024x768x24}" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    local display
    if ! read -r -t 10 display <"$fifo"; then
        rm -f "$fifo"
        echo "error: the virtual X server (Xvfb) did not start" >&2
        return 1
    fi
    rm -f "$fifo"
    export DISPLAY=":$display"
    # Qt warns when XDG_RUNTIME_DIR is missing; a private one keeps stderr clean.
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        XDG_RUNTIME_DIR="$(mktemp -d)"
        export XDG_RUNTIME_DIR
    fi
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
    return 0
}

# The Debian mirror this machine's apt already uses for the suite given.
host_mirror() {
    local suite="$1" uri=""
    if [ -r /etc/apt/sources.list.d/debian.sources ]; then
        uri="$(awk -v suite="$suite" 'BEGIN { RS = "" }
            {
                uri = ""; found = 0
                n = split($0, lines, "\n")
                for (i = 1; i <= n; i++) {
                    m = split(lines[i], f, /[ \t]+/)
                    if (f[1] == "URIs:") uri = f[2]
                    if (f[1] == "Suites:") for (j = 2; j <= m; j++) if (f[j] == suite) found = 1
                }
                if (found && uri != "") { print uri; exit }
            }' /etc/apt/sources.list.d/debian.sources)"
    fi
    if [ -z "$uri" ] && [ -r /etc/apt/sources.list ]; then
        uri="$(awk -v suite="$suite" '$1 == "deb" {
                for (i = 2; i < NF; i++) if ($i ~ /^[a-z+]+:\/\//) {
                    if ($(i + 1) == suite) { print $i; exit }
                    break
                } }' /etc/apt/sources.list)"
    fi
    if [ -z "$uri" ]; then
        echo "error: found no Debian mirror for $suite in /etc/apt/sources.list.d/debian.sources" \
            "or /etc/apt/sources.list; set SHMUP_MIRROR to one" >&2
        return 1
    fi
    echo "$uri"
}
