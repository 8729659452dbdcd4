#!/usr/bin/env bash
# Runs shmup-trace on malformed and hostile joystick scripts: each must end with
# status 2, nothing on stdout and one line on stderr naming the file and, where
# the user wrote something wrong, the line; well-formed oddities (CRLF line
# ends, blank padding) must play like their plain form.
# Usage: hostile_input.sh path/to/shmup-trace
set -euo pipefail

trace="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Qt warns on stderr without a runtime folder; the checks want stderr clean.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
source "$(dirname "$0")/../support/checks.sh"

run() {
    env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$trace" --frames 100 "$@"
}

# expect_error NAME FILE PATTERN: status 2, empty stdout, one stderr line
# that names FILE and matches the extended regular expression PATTERN.
expect_error() {
    local name="$1" file="$2" pattern="$3"
    refused "$name" timeout 60 env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$trace" \
        --frames 100 --input "$file"
    grep -q -F "$file" "$work/err" || fail "$name: the message does not name the file"
    grep -q -E "$pattern" "$work/err" || fail "$name: message does not match /$pattern/: $(head -c 300 "$work/err")"
}

echo "Checking malformed joystick scripts"
printf '0 0 0\n10 1 1\n5 2 0\n' >"$work/decreasing.txt"
expect_error "decreasing frames" "$work/decreasing.txt" 'line 3: FRAME 5 does not come after frame 10 \(line 2\)'
printf '0 0 0\n99999999999999999999 1 1\n' >"$work/huge.txt"
expect_error "huge frame" "$work/huge.txt" 'line 2: FRAME "99999999999999999999" is too large'
printf '# negative\n-5 1 1\n' >"$work/negative.txt"
expect_error "negative frame" "$work/negative.txt" 'line 2: FRAME -5 is negative'
printf '0 up 1\n' >"$work/word.txt"
expect_error "bad number" "$work/word.txt" 'line 1: DIR "up" is not an integer'
printf '0 0 0\n1 2\0 0\n' >"$work/nul.txt"
expect_error "NUL byte" "$work/nul.txt" 'line 2: NUL byte'
junk 7 >"$work/junk.bin"
expect_error "random bytes" "$work/junk.bin" 'line [0-9]+: '
{ printf '0 0 0\n'; head -c 10485760 /dev/zero | tr '\0' '7'; printf ' 0 0\n'; } >"$work/long.txt"
expect_error "10 MB line" "$work/long.txt" 'line 2: FRAME "7{24}\.\.\." is too large'
expect_error "a directory" "$work" 'cannot read'
expect_error "endless /dev/zero" /dev/zero 'larger than 64 MB'

echo "Checking scripts that are odd but good"
printf '0 0 0\n65 3 1\n90 8 0\n' >"$work/plain.txt"
printf '0 0 0\r\n\r\n65 3 1\r\n# note\r\n90 8 0\r\n' >"$work/crlf.txt"
{ printf '0 0 0\n'; head -c 10485760 /dev/zero | tr '\0' ' '; printf '65\t3 1\n90 8 0'; } >"$work/padded.txt"
run --input "$work/plain.txt" >"$work/plain.out" || fail "plain script: shmup-trace failed"
for odd in crlf padded; do
    run --input "$work/$odd.txt" 2>"$work/$odd.err" | cmp -s - "$work/plain.out" ||
        fail "$odd script does not play like the plain one"
    [ ! -s "$work/$odd.err" ] || fail "$odd script: wrote on stderr"
done

end_checks "All hostile input checks passed"
