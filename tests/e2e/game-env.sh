# Shared by the end-to-end scripts that start the game under X: sourced, not run.

# Sanitizer builds report every error and leak and fail; other builds ignore these.
# The full unwind lets a suppression see the frames of a GL driver that is
# unloaded before the leak check (tests/lsan-suppressions.txt).
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1:abort_on_error=0}:fast_unwind_on_malloc=0"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/lsan-suppressions.txt:print_suppressions=0}"

[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY; run under tests/e2e/with-xvfb.sh" >&2; exit 1; }
