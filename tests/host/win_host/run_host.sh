#!/usr/bin/env bash
# Runs HintbarHost.exe under Wine on one script and checks its output against an expect file.
#   run_host.sh WINE_RUN HOST_EXE SCRIPT EXPECT
# Expect-file lines, checked in order:
#   TEXT        a line of standard output equal to TEXT, after the previous match
#   ~TEXT       a line of standard output that begins with TEXT, after the previous match
#   err: TEXT   a line of standard error equal to TEXT, after the previous such match
#   !TEXT       no line of standard output equals TEXT
#   exit: N     the program's exit code
#   # ...       a comment; blank lines are skipped
# Output lines are compared without their carriage returns. A host that does not finish within
# HB_HOST_SECONDS (60 by default) is stopped and fails with what it wrote so far.
set -u
runner=$1 exe=$2 script=$3 expect=$4
limit=${HB_HOST_SECONDS:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
timeout -k 5 "$limit" "$runner" "$exe" "$script" >"$work/out" 2>"$work/err"
rc=$?
tr -d '\r' <"$work/out" >"$work/out.txt"
tr -d '\r' <"$work/err" >"$work/err.txt"
mapfile -t out <"$work/out.txt"
mapfile -t err <"$work/err.txt"

# Moves the position (the variable named by $2) in the lines (the array named by $1) just past
# the next line that equals TEXT, or begins with it in "prefix" mode; on a miss it goes back to
# the start and the call fails.
match_next() {
    local -n lines=$1 at=$2
    local text=$3 mode=$4 line
    while [ "$at" -lt "${#lines[@]}" ]; do
        line=${lines[$at]}
        at=$((at + 1))
        if [ "$line" = "$text" ] || { [ "$mode" = prefix ] && [ "${line#"$text"}" != "$line" ]; }; then
            return 0
        fi
    done
    at=0
    return 1
}

failed=0
o=0
e=0
if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then
    echo "FAIL: the host program did not finish within $limit s"
    failed=1
fi
while IFS= read -r want || [ -n "$want" ]; do
    case "$want" in
    '' | '#'*) continue ;;
    'exit: '*)
        if [ "$rc" != "${want#exit: }" ]; then
            echo "FAIL: exit code $rc, expected ${want#exit: }"
            failed=1
        fi ;;
    'err: '*)
        match_next err e "${want#err: }" exact ||
            { echo "FAIL: standard error lacks, in order: ${want#err: }"; failed=1; } ;;
    '!'*)
        text=${want#!}
        for line in "${out[@]}"; do
            if [ "$line" = "$text" ]; then
                echo "FAIL: standard output has: $text"
                failed=1
            fi
        done ;;
    '~'*)
        match_next out o "${want#\~}" prefix ||
            { echo "FAIL: standard output lacks, in order, a line beginning: ${want#\~}"; failed=1; } ;;
    *)
        match_next out o "$want" exact ||
            { echo "FAIL: standard output lacks, in order: $want"; failed=1; } ;;
    esac
done <"$expect"

if [ "$failed" != 0 ]; then
    echo "---- standard output"
    cat "$work/out.txt"
    echo "---- standard error"
    cat "$work/err.txt"
fi
exit "$failed"
