#!/usr/bin/env bash
# Checks that includes in src/ point one way: each ring uses the core and the
# rings listed for it, never a ring that builds on it. Prints every include
# that breaks the rule and fails if there is one.
# Usage: check-layering.sh SRC_DIR
set -euo pipefail
src="${1:?usage: check-layering.sh SRC_DIR}"

# What each folder may include besides itself; "core" is the top of src/.
declare -A allowed=(
    [core]=""
    [input]="core"
    [present]="core"
    [replay]="core input present"
    [sound]="core"
    [app]="core input present replay sound"
)

status=0
while IFS= read -r file; do
    relative="${file#"$src"/}"
    case "$relative" in
        main.cpp) continue ;; # the program: it may use every ring
        */*) folder="${relative%%/*}" ;;
        *) folder=core ;;
    esac
    if [ -z "${allowed[$folder]+set}" ]; then
        echo "$relative: the folder $folder has no place in the layering; add it to $0"
        status=1
        continue
    fi
    while IFS= read -r header; do
        case "$header" in
            */*) target="${header%%/*}" ;;
            *) target=core ;;
        esac
        if [ "$target" != "$folder" ] && [[ " ${allowed[$folder]} " != *" $target "* ]]; then
            echo "$relative includes \"$header\": $folder may not use $target"
            status=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file" |
             grep -v '^moc_\|\.moc$' || true)
done < <(find "$src" -name '*.h' -o -name '*.cpp' | sort)

[ "$status" -eq 0 ] && echo "Includes point one way in $src"
exit "$status"
