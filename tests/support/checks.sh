# Shared by the shell tests that make many checks and report every failure:
# sourced, not run. `fail MESSAGE` says a check failed and counts it;
# `end_checks MESSAGE [WHAT]` then exits with status 1 if any failed (saying
# "N check(s) of WHAT failed"), or prints MESSAGE. `refused NAME COMMAND...`
# checks that COMMAND ends with status 2, nothing on stdout and one line on
# stderr, which it leaves in $work/err. `junk SEED` writes 4096 random bytes,
# the same for the same SEED on every run.
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
end_checks() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s)${2:+ of $2} failed" >&2
        exit 1
    fi
    echo "$1"
}
refused() {
    local name="$1" status=0
    shift
    "$@" >"$work/out" 2>"$work/err" || status=$?
    [ "$status" -eq 2 ] || fail "$name: status $status, not 2"
    [ ! -s "$work/out" ] || fail "$name: printed on stdout"
    [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$name: not one line on stderr: $(head -c 300 "$work/err")"
}
junk() {
    local bytes=""
    RANDOM="$1"
    for _ in $(seq 4096); do printf -v bytes '%s\\%03o' "$bytes" $((RANDOM % 256)); done
    printf "$bytes"
}
