#!/usr/bin/env bash
# The checker reads its standard input from a Windows pipe (pipe_feeder fills it, as "type FILE |
# hintbar-check -" does in a console) and finds what it finds in the same file read by name:
# the sample, a file larger than the pipe holds at once, and an empty one.
#   pipe_into_checker.sh WINE_RUN FEEDER_EXE CHECKER_EXE SAMPLE
set -u
runner=$1 feeder=$2 checker=$3 sample=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$sample" "$work/sample.txt"
for _ in $(seq 20); do cat "$sample"; done >"$work/large.txt"
: >"$work/empty.txt"
winpath() { printf 'Z:%s' "${1//\//\\}"; } # Wine's drive Z: is the root of the file system
failed=0
for name in sample large empty; do
  (cd "$work" && "$runner" "$checker" "$name.txt") >"$work/named" 2>&1
  named=$?
  (cd "$work" && "$runner" "$feeder" "$name.txt" "$(winpath "$checker")" -) >"$work/piped" 2>&1
  piped=$?
  # Standard input is named "-", and an empty one "the input", not "the file".
  sed -e "s/^$name\.txt:/-:/" -e 's/: the file is empty:/: the input is empty:/' "$work/named" \
    >"$work/expected"
  if [ "$named" != "$piped" ] || ! cmp -s "$work/expected" "$work/piped"; then
    echo "FAIL: $name.txt through a pipe: exit status $piped, by name $named"
    diff "$work/expected" "$work/piped" | head -20
    failed=1
  fi
done
[ "$failed" = 0 ] && echo "the checker read the sample, a large and an empty file through a pipe"
exit "$failed"
