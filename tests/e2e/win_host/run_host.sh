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
# Output lines are compared without their carriage returns.
set -u
runner=$1 exe=$2 script=$3 expect=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$runner" "$exe" "$script" >"$work/out" 2>"$work/err"
rc=$?
tr -d '\r' <"$work/out" >"$work/out.txt"
tr -d '\r' <"$work/err" >"$work/err.txt"
mapfile -t out <"$work/out.txt"
mapfile -t err <"$work/err.txt"

failed=0
o=0
e=0
while IFS= read -r want || [ -n "$want" ]; do
    case "$want" in
    '' | '#'*) continue ;;
    'exit: '*)
        if [ "$rc" != "${want#exit: }" ]; then
            echo "FAIL: exit code $rc, expected ${want#exit: }"
            failed=1
        fi ;;
    'err: '*)
        text=${want#err: }
        while [ "$e" -lt "${#err[@]}" ] && [ "${err[$e]}" != "$text" ]; do e=$((e + 1)); done
        if [ "$e" -ge "${#err[@]}" ]; then
            echo "FAIL: standard error lacks, in order: $text"
            failed=1
            e=0
        else
            e=$((e + 1))
        fi ;;
    '!'*)
        text=${want#!}
        for line in "${out[@]}"; do
            if [ "$line" = "$text" ]; then
                echo "FAIL: standard output has: $text"
                failed=1
            fi
        done ;;
    '~'*)
        text=${want#\~}
        while [ "$o" -lt "${#out[@]}" ] && [ "${out[$o]#"$text"}" = "${out[$o]}" ]; do o=$((o + 1)); done
        if [ "$o" -ge "${#out[@]}" ]; then
            echo "FAIL: standard output lacks, in order, a line beginning: $text"
            failed=1
            o=0
        else
            o=$((o + 1))
        fi ;;
    *)
        while [ "$o" -lt "${#out[@]}" ] && [ "${out[$o]}" != "$want" ]; do o=$((o + 1)); done
        if [ "$o" -ge "${#out[@]}" ]; then
            echo "FAIL: standard output lacks, in order: $want"
            failed=1
            o=0
        else
            o=$((o + 1))
        fi ;;
    esac
done <"$expect"

if [ "$failed" != 0 ]; then
    echo "---- standard output"
    cat "$work/out.txt"
    echo "---- standard error"
    cat "$work/err.txt"
fi
exit "$failed"
