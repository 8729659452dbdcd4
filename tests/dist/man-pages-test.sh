#!/usr/bin/env bash
# The manual pages and the programs agree: every option that `--help` lists
# is in the page's OPTIONS, with the same argument, and the page lists no
# option the program does not have. And man finds nothing wrong in the pages.
# Usage: man-pages-test.sh BIN-DIR MAN-DIR
set -euo pipefail
bin_dir="$1"
man_dir="$2"
command -v man >/dev/null \
    || { echo "FAIL: man not found; install man-db (scripts/lib.sh lists it)" >&2; exit 1; }

source "$(dirname "$0")/../support/checks.sh"
# "--name ARG" for each option of --help: an indented option, and its
# argument when one follows in capitals (N, FILE, WxH).
help_options() {
    QT_QPA_PLATFORM=offscreen "$bin_dir/$1" --help \
        | sed -nE 's/^  (--[a-z-]+( [A-Z][A-Za-z]*)?).*/\1/p' | sort -u
}
# The same from the page's OPTIONS: the tag line after each .TP, as
# ".B \-\-name" or ".BI \-\-name \" ARG\"".
page_options() {
    awk '/^\.SH / { in_options = ($2 == "OPTIONS") } in_options && tag { print; tag = 0 }
         in_options && /^\.TP/ { tag = 1 }' "$1" \
        | sed -E 's/\\-/-/g; s/^\.BI? //; s/"//g; s/  +/ /g' | sort -u
}

for program in shmup shmup-trace; do
    page="$man_dir/$program.6"
    in_help="$(help_options "$program")"
    in_page="$(page_options "$page")"
    [ -n "$in_help" ] || fail "$program --help lists no option"
    if [ "$in_help" != "$in_page" ]; then
        fail "the options of $program --help (<) and of $page (>) differ:"
        diff <(echo "$in_help") <(echo "$in_page") | grep '^[<>]' >&2 || true
    fi
    # As lintian runs it: anything on stderr is a fault of the page.
    warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)"
    if [ -n "$warnings" ]; then
        fail "man --warnings on $page:"
        echo "$warnings" >&2
    fi
done
end_checks "The manual pages list the programs' options and nothing else, and man finds no fault" \
    "the manual pages"
