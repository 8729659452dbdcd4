#!/usr/bin/env bash
# A long run of the trace tool with fire held while the ship sweeps from edge
# to edge for the whole run. Checks that the number of tasks of every kind
# stays under the bound that the game's rules give (below), that the tool
# exits 0 with nothing on stderr but its memory lines (so a sanitizer report
# fails the run), and with --rss that the resident memory after frame 20,000
# does not grow. Prints the figures.
# Usage: soak.sh path/to/shmup-trace FRAMES [--rss]
set -euo pipefail

trace="$1"
frames="$2"
check_rss=0
[ "${3:-}" = --rss ] && check_rss=1
# Memory is sampled every 10,000 frames; growth after frame 20,000 beyond this
# much fails. A leak of one task a frame would add megabytes.
rss_every=10000
rss_from=20000
rss_slack_kb=256

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Qt warns on stderr when XDG_RUNTIME_DIR is missing, as on a fresh CI machine.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work/runtime}"

echo "Soak: $frames frames of $trace, fire held while sweeping"

# The ship is active from frame 65; it reaches the right edge 80 frames later
# and then crosses the screen every 160 frames, as in scenarios/fire-sweep.txt
# but for the whole run.
{
    echo "65 7 1"
    for ((f = 145, dir = 3; f < frames; f += 160, dir = 10 - dir)); do
        echo "$f $dir 1"
    done
} >"$work/sweep.txt"

# The bounds, per kind, on the tasks alive after a frame:
#   fixed  3: starfield, director, one ship (a ship hands over to its successor
#          and is deleted in the same frame).
#   e1    25: one launched every 10 frames; at 2 pixels a frame from y -16 it
#          leaves the keep-alive rectangle (y > 480) on its 249th move.
#   e2l   25: one launched every 20 frames; with a vertical speed of 1 or 2 it
#          leaves by its 497th move.
#   mb    35: at most one shot a frame (one ship); at 16 pixels a frame from
#          y <= 480 it leaves (y < -64) by its 35th move.
#   eb   450: an aiming enemy fires on its moves 1, 61, ..., 241, so in any
#          891 frames each of those 5 offsets fires at most 90 times (one enemy
#          every 10 frames); a bullet moves 1 pixel a frame in a straight line
#          and no line in the 704 x 544 rectangle is longer than 890.
#   e2s 1120: two per death contact of a large enemy. Contacts per enemy per
#          frame are at most 8: two ships (at a handover) and 6 shots, since
#          shots are fired one a frame and fly 16 pixels while the ship moves
#          at most 4, so they are at least 12 pixels apart and 6 fit in the 65
#          rows of a hit test. A small enemy moves at least 1 pixel a frame, so
#          it lives at most 891 frames, and the large enemies that can have
#          made it were launched in the 1387 frames before: at most 70 of them,
#          16 small enemies each.
#   ex 10840: an explosion lives 12 frames; in 12 frames at most 8 come from
#          the ship (one destruction per 187 frames at most) and 8 per death
#          contact from the enemies that can die then: 26 aiming (1 each),
#          26 large (8 each) and 1120 small (1 each), 8 contacts each.
# The last two are loose because contacts can pile up; the run shows how far
# below them the game stays.
status=0
"$trace" --frames "$frames" --input "$work/sweep.txt" --rss-every "$rss_every" \
    2>"$work/stderr" | awk -v frames="$frames" '
    BEGIN {
        split("e1 e2l e2s eb mb ex", kinds, " ")
        bound["e1"] = 25; bound["e2l"] = 25; bound["e2s"] = 1120
        bound["eb"] = 450; bound["mb"] = 35; bound["ex"] = 10840
        total = 3
        for (k in bound) total += bound[k]
    }
    {
        for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
        lines++
        if (v["tasks"] + 0 > peak) { peak = v["tasks"] + 0; peakFrame = v["frame"] }
        sum = 3
        for (i = 1; i <= 6; i++) {
            k = kinds[i]; n = v[k] + 0; sum += n
            if (n > most[k]) most[k] = n
            if (n > bound[k] && !reported[k]++ && ++failures)
                printf "FAIL: %d %s tasks at frame %d, over the bound of %d\n", n, k, v["frame"], bound[k]
        }
        if (sum != v["tasks"] + 0 && !badSum++ && ++failures)
            printf "FAIL: frame %d: the kinds add up to %d, not %d tasks\n", v["frame"], sum, v["tasks"]
    }
    END {
        if (lines != frames) { printf "FAIL: %d frame lines, not %d\n", lines, frames; exit 1 }
        printf "Peak tasks: %d at frame %d (bound %d)\n", peak, peakFrame, total
        printf "Peak per kind:"
        for (i = 1; i <= 6; i++) printf " %s=%d/%d", kinds[i], most[kinds[i]], bound[kinds[i]]
        printf "\n"
        exit (peak > total || failures) ? 1 : 0
    }' || status=$?
if [ "$status" -ne 0 ]; then
    cat "$work/stderr" >&2
    echo "FAIL: the soak run or its checks failed (status $status)" >&2
    exit 1
fi

if grep -v '^frames=[0-9]* rss_kb=[0-9]*$' "$work/stderr" >"$work/unexpected"; then
    cat "$work/unexpected" >&2
    echo "FAIL: the trace tool wrote the lines above on stderr" >&2
    exit 1
fi

awk -v from="$rss_from" -v slack="$rss_slack_kb" -v check="$check_rss" '
    { split($1, f, "="); split($2, r, "="); frame = f[2] + 0; kb = r[2] + 0 }
    frame == from { base = kb }
    frame > from && kb > most { most = kb }
    { last = kb; lastFrame = frame }
    END {
        if (base == "") { print "No memory sample at frame " from " (run longer)"; exit check }
        printf "Resident memory: %d KiB at frame %d, %d KiB at frame %d, at most %d KiB in between\n",
            base, from, last, lastFrame, most
        if (check && most > base + slack) {
            printf "FAIL: resident memory grew by %d KiB after frame %d (allowed %d)\n",
                most - base, from, slack
            exit 1
        }
    }' "$work/stderr"
