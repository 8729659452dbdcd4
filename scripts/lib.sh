# Shared by the scripts: installs what the build needs on a Debian machine.
# Sourced, not run.

SHMUP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Packages the build and the tests need; a fresh Debian machine has none of them.
SHMUP_PACKAGES=(cmake make g++ qt6-base-dev qtbase5-dev libgl-dev
                xvfb xauth xdotool x11-utils)

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
build_in() {
    local dir="$1"
    shift
    echo "Building in $dir"
    cmake -S "$SHMUP_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}
