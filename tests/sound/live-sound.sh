#!/usr/bin/env bash
# The game's sound played live through SDL, in Xvfb: into SDL's disk driver
# for three seconds it writes sound that is not silence; --mute opens no
# device; without a driver that works the game plays on silent, saying so in
# one line at most. Usage: live-sound.sh path/to/shmup (under with-xvfb.sh)
set -euo pipefail
source "$(dirname "$0")/../e2e/game-env.sh" "$1"

# play SECONDS WHAT ARGS...: the game for SECONDS, ended by SIGTERM, which
# must end it with status 0.
play() {
    local seconds="$1" what="$2"
    shift 2
    start_game "$@"
    sleep "$seconds"
    kill -TERM "$pid"
    wait_exit "$what"
    [ "$status" -eq 0 ] || { cat "$work/stderr" >&2; fail "$what: status $status"; }
}
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" play 3 "disk driver"
# The disk driver announces itself in lines of its own; the game says nothing.
! grep -v '^CRITICAL: ' "$work/stderr" || fail "disk driver: the game wrote the lines above"
# At least a second of sound, and some of it loud.
loud="$(od -An -v -td2 "$work/sound.raw" | awk '{ n += NF; for (i = 1; i <= NF; i++)
    if ($i > 1000 || $i < -1000) loud++ } END { print (n >= 48000 ? loud + 0 : 0) }')"
[ "$loud" -gt 0 ] || fail "disk driver: no loud sample in $(stat -c %s "$work/sound.raw") bytes"
echo "disk driver: $loud loud samples"

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/muted.raw" play 1 "--mute" --mute
[ ! -e "$work/muted.raw" ] || fail "--mute: the game opened the sound device"
[ ! -s "$work/stderr" ] || { cat "$work/stderr" >&2; fail "--mute: the game wrote on stderr"; }

for driver in no-such-driver alsa; do
    SDL_AUDIODRIVER="$driver" play 1 "driver $driver"
    lines="$(wc -l <"$work/stderr")"
    [ "$lines" -le 1 ] || { cat "$work/stderr" >&2; fail "driver $driver: $lines lines on stderr"; }
    echo "driver $driver: ${lines} line(s) on stderr: $(cat "$work/stderr")"
done
grep -q '^shmup: no sound' "$work/stderr" ||
    [ -e /dev/snd ] || fail "no sound card, yet the game did not say it plays silent"
