#!/usr/bin/env bash
# Builds the Linux suite with coverage counters, runs it, and prints line and branch coverage
# for each folder of the plug-in and for the checker.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
cmake --preset coverage >/dev/null
cmake --build --preset coverage -j"$(nproc)"
find build/coverage -name '*.gcda' -delete
ctest --preset coverage >/dev/null
# gcovr replaces its report file by renaming over it: give it a file of its own, never a
# device such as /dev/null.
report=$(mktemp)
trap 'rm -f "$report"' EXIT
for dir in checker plugin command livehelp helptable textinput base platform; do
  echo "== $dir"
  gcovr --root "$root" --filter "$root/$dir/" --object-directory build/coverage \
        --exclude-unreachable-branches --exclude-throw-branches --print-summary \
        --txt "$report" 2>/dev/null | grep -E '^(lines|branches):'
done
