#!/usr/bin/env bash
# Checks formatting (clang-format) and the plug-in's code (clang-tidy, with .clang-tidy).
# Needs a configured linux preset for its compile commands. Fails on any finding.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
status=0
# One major version formats the tree: another one lays some lines out differently.
format=clang-format-14
files=$(git ls-files '*.cpp' '*.h' | grep -v 'textinput/ansi_tables.cpp')
if ! $format --dry-run --Werror $files >/tmp/hb-format.log 2>&1; then
  echo "clang-format: files need formatting:"; grep -oE '^[^:]+' /tmp/hb-format.log | sort -u
  status=1
fi
sources=$(git ls-files checker plugin command livehelp helptable textinput base platform | grep '\.cpp$' |
          grep -v -e '/win/' -e '_win\.cpp' -e ansi_tables)
findings=$(for f in $sources; do clang-tidy-14 -p build/linux --quiet "$f" 2>/dev/null; done |
           grep -E 'warning:|error:' || true)
if [ -n "$findings" ]; then
  echo "clang-tidy:"; echo "$findings"; status=1
fi
[ $status = 0 ] && echo "lint: clean"
exit $status
