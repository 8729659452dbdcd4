#!/usr/bin/env bash
# Plays the default game in a real X window (Xvfb, xcb platform) and measures
# what a player's machine would see:
#   1. a bare 640x480 Qt widget, the memory baseline (10 s);
#   2. shmup-window-probe: the game window as main() opens it, counting frame
#      ticks and the frame rate the debug line shows, with its own CPU time and
#      resident memory from /proc/self (PLAY_SECONDS, default 60);
#   3. the real bin/shmup, its CPU time and memory read from /proc/PID (same time).
# Usage: bench/run-window.sh [build-dir]   (default build-bench, Release)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"

BUILD="${1:-$SHMUP_ROOT/build-bench}"
PLAY_SECONDS="${PLAY_SECONDS:-60}"
BARE_SECONDS="${BARE_SECONDS:-10}"

echo "Checking the packages (Qt 6, Xvfb, xdpyinfo)"
ensure_packages cmake make g++ qt6-base-dev libgl-dev xvfb xauth x11-utils

echo "Building shmup and shmup-window-probe in $BUILD (Release)"
cmake -S "$SHMUP_ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j 2 --target shmup shmup-window-probe >/dev/null

display=""
for n in $(seq 91 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=":$n"
        break
    fi
done
if [ -z "$display" ]; then
    echo "error: no free X display between :91 and :140; stop a stale Xvfb and retry" >&2
    exit 1
fi

echo "Starting Xvfb on $display"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do
    DISPLAY="$display" xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
if ! DISPLAY="$display" xdpyinfo >/dev/null 2>&1; then
    echo "error: Xvfb did not come up on $display" >&2
    exit 1
fi
export DISPLAY="$display" QT_QPA_PLATFORM=xcb

log="$BUILD/window-run.txt"
: >"$log"
cd "$BUILD/bin"

echo "1/3 bare widget, $BARE_SECONDS s"
./shmup-window-probe --bare --seconds "$BARE_SECONDS" 2>/dev/null | tee -a "$log" | tail -1

echo "2/3 game window with probe, $PLAY_SECONDS s"
./shmup-window-probe --seconds "$PLAY_SECONDS" 2>/dev/null | tee -a "$log" | tail -1

echo "3/3 bin/shmup, $PLAY_SECONDS s"
clk_tck=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
status_kb() { awk -v key="$2:" '$1 == key {print $2}' "/proc/$1/status"; }
./shmup 2>/dev/null &
game_pid=$!
sleep 0.2
start_ns=$(date +%s%N)
game_start=$(cpu_ticks "$game_pid")
xvfb_start=$(cpu_ticks "$xvfb_pid")
rss_5=0
rss_max=0
for s in $(seq "$PLAY_SECONDS"); do
    sleep 1
    rss=$(status_kb "$game_pid" VmRSS)
    [ "$rss" -gt "$rss_max" ] && rss_max=$rss
    [ "$s" -eq 5 ] && rss_5=$rss
    echo "shmup second $s: rss_kb $rss" >>"$log"
done
end_ns=$(date +%s%N)
game_end=$(cpu_ticks "$game_pid")
xvfb_end=$(cpu_ticks "$xvfb_pid")
rss_end=$(status_kb "$game_pid" VmRSS)
hwm=$(status_kb "$game_pid" VmHWM)
kill "$game_pid"
wait "$game_pid" 2>/dev/null || true
game_pid=""
awk -v g=$((game_end - game_start)) -v x=$((xvfb_end - xvfb_start)) -v hz="$clk_tck" \
    -v ns=$((end_ns - start_ns)) -v r5="$rss_5" -v rmax="$rss_max" -v rend="$rss_end" -v hwm="$hwm" \
    'BEGIN {
        s = ns / 1e9;
        printf "shmup: seconds=%.1f cpu_percent=%.2f xvfb_cpu_percent=%.2f rss_mb_at_5s=%.1f rss_mb_max=%.1f rss_mb_end=%.1f hwm_mb=%.1f\n",
            s, 100 * g / hz / s, 100 * x / hz / s, r5 / 1024, rmax / 1024, rend / 1024, hwm / 1024
    }' | tee -a "$log"
echo "Per-second lines are in $log"
