#!/usr/bin/env bash
# Runs shmup-trace on scripted games and checks, frame by frame, what the game
# guarantees: the task count adds up, the spawn schedule, the ship's entry,
# destruction and respawn timings, positions on screen, the dump agreeing with
# the summary, the same bytes on every run, and the tool's error handling.
# Usage: check_trace.sh path/to/shmup-trace path/to/scenarios
set -euo pipefail

trace="$1"
scenarios="$2"
frames=2000
dump_frames=800
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/checks.sh"

# The tool must pick a platform that needs no display by itself.
run() {
    env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$trace" "$@"
}

# Per-frame properties of the summary lines. still=1: no input at all, so the
# ship never moves once in place. fire=0: the script never fires.
check_frames() {
    awk -v frames="$1" -v still="$2" -v fire="$3" -v name="$4" '
    function bad(msg) { printf "%s, frame %d: %s\n  %s\n", name, NR - 1, msg, $0; errors++; if (errors > 10) exit 1 }
    {
        if ($0 !~ /^frame=[0-9]+ tasks=[0-9]+ ship=[0-9]+ shippos=-?[0-9.e+-]+,-?[0-9.e+-]+ e1=[0-9]+ e2l=[0-9]+ e2s=[0-9]+ eb=[0-9]+ mb=[0-9]+ ex=[0-9]+$/) {
            bad("malformed line"); next
        }
        for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
        n = v["frame"] + 0; state = v["ship"] + 0
        split(v["shippos"], p, ","); x = p[1] + 0; y = p[2] + 0
        e1 = v["e1"] + 0; e2l = v["e2l"] + 0; mb = v["mb"] + 0; ex = v["ex"] + 0
        sum = e1 + e2l + v["e2s"] + v["eb"] + mb + ex
        if (n != NR - 1) bad("frames are not numbered 0, 1, 2, ...")
        if (v["tasks"] != 3 + sum) bad("tasks is not starfield + ship + director + the kinds")
        if (state > 2) bad("ship state outside 0..2")
        if (x < 0 || x > 640 || y < 0 || y > 480) bad("ship outside the screen")
        if (!fire && mb != 0) bad("a shot without the fire button")
        if (NR > 1) {
            if (mb > prevMb + 1) bad("more than one shot in a frame")
            if (e1 > prevE1 && (e1 != prevE1 + 1 || n % 10 != 0)) bad("aiming enemies arrive only one every 10 frames")
            if (e2l > prevE2l && (e2l != prevE2l + 1 || n % 20 != 0)) bad("large enemies arrive only one every 20 frames")
        } else if (v["tasks"] != 5 || e1 != 1 || e2l != 1) {
            bad("the first frame launches one enemy of each kind")
        }
        if (still && state == 1 && v["shippos"] != "320,352") bad("an idle ship moved")

        # The ship: enters for 64 frames at 2 pixels a frame, turns active on its
        # 65th update at (320, 352); destroyed, it stays where it died for 122
        # frames, then a new ship starts at (320, 480).
        if (NR == 1) born = 0
        if (prevState == 2 && state != 2 && NR > 1) {
            if (n != died + 122 || state != 0 || v["shippos"] != deathPos) bad("ship not replaced 122 frames after its destruction")
            born = n + 1; respawned++
        }
        if (n >= born && n < born + 64) {
            if (state != 0 || x != 320 || y != 478 - 2 * (n - born)) bad("entering ship off its course")
        } else if (n == born + 64) {
            if (state == 0 || v["shippos"] != "320,352") bad("ship not in place after 64 frames")
        } else if (state == 0 && n != born - 1) {
            bad("ship entering again without being destroyed")
        }
        if (state == 2 && prevState != 2) {
            died = n; deathPos = v["shippos"]; destroyed++
            if (ex < 8) bad("a destroyed ship leaves eight explosions")
        }
        if (state == 2 && (n - died >= 122 || v["shippos"] != deathPos)) bad("destroyed ship moved or stayed too long")
        prevState = state; prevMb = mb; prevE1 = e1; prevE2l = e2l
    }
    END {
        if (NR != frames) { printf "%s: %d lines for %d frames\n", name, NR, frames; errors++ }
        if (destroyed == 0 || respawned == 0) { printf "%s: the ship was never destroyed and replaced\n", name; errors++ }
        exit errors > 0
    }'
}

# The dump agrees with the summary line above it.
check_dump() {
    awk -v name="$1" '
    function bad(msg) { printf "%s, frame %d: %s\n  %s\n", name, frame, msg, $0; errors++; if (errors > 10) exit 1 }
    function close_frame() {
        if (frame < 0) return
        if (listed != tasks) bad("dump lists " listed " tasks, not " tasks)
        if (c["e1"] != h["e1"] || c["e2l"] != h["e2l"] || c["e2s"] != h["e2s"] || c["eb"] != h["eb"] || c["mb"] != h["mb"] || c["ex"] != h["ex"])
            bad("dump counts differ from the summary")
        if (c["ship"] != 1 || c["main"] != 1 || c["bg"] != 1) bad("not exactly one starfield, director and ship")
    }
    BEGIN { frame = -1; num = "-?[0-9]+(\\.[0-9]+)?(e[+-][0-9]+)?" }
    /^frame=/ {
        close_frame()
        for (i = 1; i <= NF; i++) { split($i, kv, "="); h[kv[1]] = kv[2] }
        frame = h["frame"] + 0; tasks = h["tasks"] + 0; listed = 0
        split("bg main ship e1 e2l e2s eb mb ex", keys, " "); for (k in keys) c[keys[k]] = 0
        split(h["shippos"], sp, ",")
        next
    }
    {
        listed++
        kind = $1
        if (listed == 1 && $0 != "  bg") bad("the starfield is not first")
        if (kind == "bg" && $0 == "  bg") c["bg"]++
        else if (kind == "main" && $0 ~ "^  main [0-9]+$") { c["main"]++; if ($2 != frame + 1) bad("director counter is not the frame count") }
        else if (kind == "ship" && $0 ~ "^  ship " num " " num " [0-2] [0-9]+$") {
            c["ship"]++
            if ($4 != h["ship"]) bad("ship state differs from the summary")
            # The summary keeps the old ship position in the frame that adds a new ship.
            if (!($2 == sp[1] && $3 == sp[2]) && !($4 == 0 && $2 == 320 && $3 == 480)) bad("ship position differs from the summary")
        }
        else if (kind == "mb" && $0 ~ "^  mb " num " " num " [0-9]+$") c["mb"]++
        else if (kind == "e1" && $0 ~ "^  e1 " num " " num " [0-9]+ [0-9]+$") c["e1"]++
        else if (kind == "eb" && $0 ~ "^  eb " num " " num " [0-9]+ [0-9]+$") c["eb"]++
        else if (kind == "e2" && $0 ~ "^  e2 [0-9]+ " num " " num " [0-9]+$") c[$2 == 0 ? "e2l" : "e2s"]++
        else if (kind == "ex" && $0 ~ "^  ex " num " " num " [0-9]+$") c["ex"]++
        else bad("malformed dump line")
    }
    END { close_frame(); exit errors > 0 }'
}

echo "Checking the opening of a game without input"
run --frames 70 >"$work/opening" 2>/dev/null
sed -n '1p;65p' "$work/opening" >"$work/opening.got"
cat >"$work/opening.want" <<'EOF'
frame=0 tasks=5 ship=0 shippos=320,478 e1=1 e2l=1 e2s=0 eb=0 mb=0 ex=0
frame=64 tasks=22 ship=1 shippos=320,352 e1=7 e2l=4 e2s=0 eb=8 mb=0 ex=0
EOF
diff -u "$work/opening.want" "$work/opening.got" || fail "the opening frames changed"

# name, input file ("" for none), idle, fires
games=(
    "no-input||1|0"
    "fire-sweep|$scenarios/fire-sweep.txt|0|1"
    "corners|$scenarios/corners.txt|0|0"
    "example|$scenarios/example.txt|0|1"
)
for game in "${games[@]}"; do
    IFS='|' read -r name input still fires <<<"$game"
    echo "Checking $frames frames of $name"
    script=()
    [ -z "$input" ] || script=(--input "$input")
    run --frames "$frames" ${script[@]+"${script[@]}"} >"$work/$name.1" 2>/dev/null ||
        fail "$name: shmup-trace failed"
    run --frames "$frames" ${script[@]+"${script[@]}"} >"$work/$name.2" 2>/dev/null ||
        fail "$name: shmup-trace failed"
    cmp -s "$work/$name.1" "$work/$name.2" || fail "$name: two runs differ"
    check_frames "$frames" "$still" "$fires" "$name" <"$work/$name.1" || fail "$name: frame checks"

    run --frames "$dump_frames" ${script[@]+"${script[@]}"} --dump >"$work/$name.dump" 2>/dev/null ||
        fail "$name: shmup-trace --dump failed"
    check_dump "$name --dump" <"$work/$name.dump" || fail "$name: dump checks"
    grep -v '^  ' "$work/$name.dump" | cmp -s - <(head -n "$dump_frames" "$work/$name.1") ||
        fail "$name: --dump changes the summary lines"
done

echo "Checking the scenario-specific outcomes"
grep -q 'shippos=0,480 ' "$work/corners.1" || fail "corners: the ship never reaches the bottom-left corner"
grep -q ' mb=[1-9]' "$work/fire-sweep.1" || fail "fire-sweep: no shot ever flies"
grep -q 'shippos=640,' "$work/fire-sweep.1" || fail "fire-sweep: the sweep never reaches the right edge"

printf '# only a comment\n\n0 0 0\n' >"$work/idle.txt"
run --frames "$frames" --input "$work/idle.txt" 2>/dev/null | cmp -s - "$work/no-input.1" ||
    fail "a script that presses nothing differs from no input"

echo "Checking the error cases"
printf '0 0 0\n# fine so far\n10 1\n' >"$work/short.txt"
expect_error() { refused "$1" run "${@:2}"; }
expect_error "unknown option" --bogus
expect_error "negative frame count" --frames -5
expect_error "frame count with junk" --frames 10x
expect_error "missing frame count" --frames
expect_error "a flag with a value" --dump=1
expect_error "one of ours with one dash" -frames 5
expect_error "missing file" --input "$work/no-such-file.txt"
expect_error "malformed line" --input "$work/short.txt"
grep -q 'line 3' "$work/err" || fail "malformed line: the message does not name line 3"
printf '0 0 0\n# check 5 0123\n' >"$work/badcheck.txt"
expect_error "malformed check line, verifying" --input "$work/badcheck.txt" --verify
grep -q 'line 2' "$work/err" || fail "malformed check line: the message does not name line 2"
run --frames 3 --input "$work/badcheck.txt" >/dev/null 2>&1 || fail "a malformed check line is not a comment when not verifying"
expect_error "verify without a replay" --verify
expect_error "pictures without frames" --png "$work/png"
expect_error "frames without pictures" --png-at 1
expect_error "bad frame list" --png "$work/png" --png-at 5-2
expect_error "zero picture step" --png "$work/png" --png-every 0
expect_error "bad screen" --png "$work/png" --png-at 1 --screen 640x
: >"$work/a-file"
expect_error "pictures into a file" --frames 2 --png "$work/a-file/png" --png-at 1
expect_error "a picture of a frame never played" --frames 20 --png "$work/png" --png-at 5,50
printf '0 0 0\n# check 2147483647 0123456789abcdef\n' >"$work/farcheck.txt"
expect_error "a check past the last frame a trace can play" --input "$work/farcheck.txt" --verify

status=0
run --help >"$work/help" 2>/dev/null || status=$?
[ "$status" -eq 0 ] && grep -q -- '--input' "$work/help" || fail "--help: status $status or no usage"

end_checks "All trace checks passed"
