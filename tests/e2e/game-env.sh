# Shared by the end-to-end scripts that start the game under X or Wayland:
# sourced, not run, with the path of the built game: source game-env.sh path/to/shmup

# Sanitizer builds report every error and leak and fail; other builds ignore these.
# The full unwind lets a suppression see the frames of a GL driver that is
# unloaded before the leak check (tests/lsan-suppressions.txt).
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1:abort_on_error=0}:fast_unwind_on_malloc=0"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/lsan-suppressions.txt:print_suppressions=0}"

[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || {
    echo "FAIL: no DISPLAY or WAYLAND_DISPLAY; run under tests/e2e/with-xvfb.sh or with-weston.sh" >&2
    exit 1
}

# The game given ($1: the path of the built shmup) as $game, in $bin_dir; a
# scratch folder $work; and $pid, the game once a script starts it in the
# background. Whatever is left of either goes at exit.
bin_dir="$(cd "$(dirname "$1")" && pwd)"
game="$bin_dir/$(basename "$1")"
work="$(mktemp -d)"
pid=
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# start_game ARGS...: starts the game with ARGS from its bin folder, as a user
# does (so that it finds ../img/edge1.png), in the background with its stderr
# in $work/stderr; sets pid, and window once the window shows (under X only).
start_game() {
    (cd "$bin_dir" && exec "$game" "$@") 2>"$work/stderr" &
    pid=$!
    window="$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)" || true
    [ -n "$window" ] || { cat "$work/stderr" >&2; fail "the game's window did not appear"; }
}

# wait_exit [WHAT]: waits up to 20 s for the game to end (a sanitizer build is
# slow at exit while it looks for leaks) and fails if it does not; sets status
# to its exit status and clears pid. WHAT names the case in the message.
wait_exit() {
    for _ in $(seq 200); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "${1:+$1: }the game did not exit within 20 s"
    status=0
    wait "$pid" || status=$?
    pid=
}

# expect_clean_exit WHAT: waits for the game to end, then fails unless it
# exited with status 0 and wrote nothing on stderr. WHAT names the case in the
# messages.
expect_clean_exit() {
    local what="$1"
    wait_exit "$what"
    if [ -s "$work/stderr" ]; then
        cat "$work/stderr" >&2
        fail "$what: the game wrote the lines above on stderr"
    fi
    [ "$status" -eq 0 ] || fail "$what: the game exited with status $status"
    echo "$what: the game exited with status 0 and an empty stderr"
}

# last_check FILE: the frame of a recording's last check line, the last frame
# the game played.
last_check() {
    awk '$1 == "#" && $2 == "check" { f = $3 } END { print f }' "$1"
}
