#!/usr/bin/env bash
# The real game in Xvfb with a hostile sprite sheet beside it: a decompression
# bomb, random bytes, a real sheet cut in half. Each time the game must show its
# window, run at full frame rate (debug line after about 2.5 s), close with
# status 0 and write exactly one warning naming the sheet and what is wrong.
# Usage: hostile-sheet-test.sh BUILD-DIR
set -euo pipefail
build_dir="$1"
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/lib.sh"
work="$(mktemp -d)"
game=
cleanup() {
    [ -z "$game" ] || kill "$game" 2>/dev/null || true
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
start_xvfb
source "$root/tests/support/checks.sh"

# A PNG of 66 bytes whose header declares 60000 x 60000 RGBA pixels (14 GB
# decoded), with one byte of pixel data: the signature, then the chunks IHDR
# (60000, 60000, 8 bits, RGBA), IDAT (a zlib stream of one zero byte) and IEND,
# each as its length, type, data and the CRC-32 of type and data.
bomb() {
    printf '\x89PNG\r\n\x1a\n'
    printf '\0\0\0\x0dIHDR\0\0\xea\x60\0\0\xea\x60\x08\x06\0\0\0\x80\xd2\x75\x42'
    printf '\0\0\0\x09IDAT\x78\x9c\x63\0\0\0\x01\0\x01\x5e\xff\x7d\xf9'
    printf '\0\0\0\0IEND\xae\x42\x60\x82'
}

# case name, warning pattern
cases=(
    "bomb|its header declares 60000x60000 pixels, more than the 4096x4096 allowed"
    "junk|not an image in a format this build can read"
    "truncated|cannot decode it: Unable to read image data (libpng error: Read Error)"
)
for case in "${cases[@]}"; do
    IFS='|' read -r name pattern <<<"$case"
    echo "Starting the game with a sheet of $name"
    game_dir="$work/$name"
    mkdir -p "$game_dir/bin" "$game_dir/img"
    cp "$build_dir/bin/shmup" "$game_dir/bin/"
    sheet="$game_dir/img/edge1.png"
    case "$name" in
    bomb) bomb >"$sheet" ;;
    junk) junk 11 >"$sheet" ;;
    truncated) head -c $(($(stat -c %s "$root/img/edge1.png") / 2)) "$root/img/edge1.png" >"$sheet" ;;
    esac

    (cd "$game_dir/bin" && exec ./shmup) 2>"$game_dir/stderr" &
    game=$!
    started_ms=$(($(date +%s%N) / 1000000))
    window="$(timeout 20 xdotool search --sync --onlyvisible --pid "$game" | head -n 1)" || true
    if [ -z "$window" ]; then
        fail "$name: the game's window did not appear"
        kill "$game" 2>/dev/null || true
        wait "$game" 2>/dev/null || true
        game=
        continue
    fi
    # About 2.5 s in: the shown rate is that of a whole second after start-up,
    # and the line has settled.
    wait_ms=$((started_ms + 2500 - $(date +%s%N) / 1000000))
    [ "$wait_ms" -le 0 ] || sleep "$((wait_ms / 1000)).$(printf '%03d' $((wait_ms % 1000)))"
    # A grab can catch a half-drawn line: look again, a few frames later, when
    # the first picture is not read.
    line=
    for _ in $(seq 10); do
        "$build_dir/bin/shmup-window" grab "$window" "$game_dir/shot.png" ||
            fail "$name: cannot grab the window"
        line="$("$build_dir/bin/shmup-window" debug-line "$game_dir/shot.png" 2>/dev/null)" && break
        sleep 0.15
    done
    fps="${line%% fps*}"
    echo "  debug line: $line"
    # 62 or 63 at 16 ms a frame; a loaded machine may drop a few.
    if ! [[ "$fps" =~ ^[0-9]+$ ]] || [ "$fps" -lt 45 ] || [ "$fps" -gt 63 ]; then
        cp "$game_dir/shot.png" "${TMPDIR:-/tmp}/e2e-hostile-$name.png" || true
        fail "$name: debug line \"$line\", not 45..63 fps (see ${TMPDIR:-/tmp}/e2e-hostile-$name.png)"
    fi
    "$build_dir/bin/shmup-window" close "$window" || fail "$name: cannot ask the window to close"
    status=0
    for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
    wait "$game" || status=$?
    game=
    [ "$status" -eq 0 ] || fail "$name: exit status $status"
    echo "  stderr: $(cat "$game_dir/stderr")"
    [ "$(wc -l <"$game_dir/stderr")" -eq 1 ] || fail "$name: not exactly one line on stderr"
    grep -q -F '"../img/edge1.png"' "$game_dir/stderr" || fail "$name: the warning does not name the sheet"
    grep -q -F "$pattern" "$game_dir/stderr" || fail "$name: the warning does not say \"$pattern\""
done

end_checks "The game ran with every hostile sheet"
