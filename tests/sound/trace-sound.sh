#!/usr/bin/env bash
# shmup-trace --audio against the game it prints: silent until the first event,
# loud in its frame and whenever the held trigger fires, the same bytes twice,
# a true header, the trace unchanged. Usage: trace-sound.sh SHMUP-TRACE SCENARIOS
set -euo pipefail
trace="$1"
scenarios="$2"
frames=600
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/checks.sh"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work"

run() { "$trace" --frames "$frames" --input "$scenarios/fire-sweep.txt" "$@"; }
run --audio "$work/1.wav" >"$work/trace" || fail "shmup-trace --audio failed"
run --audio "$work/2.wav" >/dev/null || fail "shmup-trace --audio failed"
cmp -s "$work/1.wav" "$work/2.wav" || fail "two runs wrote different sound"
run | cmp -s - "$work/trace" || fail "the trace differs with --audio"

# The header's RIFF size, rate and data size, for 768 samples a frame.
word() { od -An -tu4 -j "$1" -N 4 "$work/1.wav" | tr -d ' '; }
data=$((frames * 768 * 2))
[ "$(word 4) $(word 24) $(word 40) $(stat -c %s "$work/1.wav")" = \
    "$((36 + data)) 48000 $data $((44 + data))" ] || fail "the WAV header or size is wrong"

# One line per frame: its RMS, then the trace's line for that frame.
od -An -v -td2 -w1536 -j 44 "$work/1.wav" |
    awk '{ s = 0; for (i = 1; i <= NF; i++) s += $i * $i; printf "%.0f\n", sqrt(s / NF) }' |
    paste -d ' ' - "$work/trace" >"$work/frames"
# The first event: the first enemy bullet, shot, explosion or small enemy, or
# the ship destroyed. The script holds fire from frame 65 on, so the ship
# fires in every frame that it starts active.
awk '
    function bad(msg) { printf "frame %d (RMS %d): %s\n", frame, $1, msg; errors++ }
    BEGIN { first = -1 }
    { frame = NR - 1; for (i = 2; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] } }
    first < 0 && (v["eb"] + v["mb"] + v["ex"] + v["e2s"] > 0 || v["ship"] == 2) { first = frame }
    first < 0 && $1 != 0 { bad("sound before anything happened") }
    frame == first && $1 < 1000 { bad("the first event is not heard in its frame") }
    frame >= 65 && active { fired++; if ($1 < 1000) bad("the held trigger fires unheard") }
    { active = v["ship"] == 1 }
    END {
        if (first < 1) { print "no event, or one in the first frame"; errors++ }
        if (fired < 100) { print "the ship fired in only " fired " frames"; errors++ }
        exit errors > 0
    }' "$work/frames" || fail "the sound does not follow the game"

status=0
"$trace" --frames 1 --audio "$work/no/such/a.wav" >/dev/null 2>"$work/err" || status=$?
[ "$status" -eq 2 ] && [ "$(wc -l <"$work/err")" -eq 1 ] || fail "unwritable --audio: $status"

end_checks "The trace's sound follows the game"
