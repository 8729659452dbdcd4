# Shared by the shell tests that make many checks and report every failure:
# sourced, not run. `fail MESSAGE` says a check failed and counts it;
# `end_checks MESSAGE` then exits with status 1 if any failed, or prints MESSAGE.
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
end_checks() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "$1"
}
