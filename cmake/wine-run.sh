#!/usr/bin/env bash
# Runs a Windows program under Wine with a prefix of the build's own and a display: the one
# given, or a private Xvfb when there is none.
#
# The program's standard error goes through a file. A process Wine starts on the program's
# behalf (the desktop, when the program makes the prefix's first window) inherits the standard
# error it was given and keeps it for as long as any program runs in the prefix: were that a
# pipe, whoever reads it (ctest, a $(...)) would wait for those programs too, long after this
# one ended.
set -u
exe="$1"; shift
dir=$(cd "$(dirname "$exe")" && pwd)
export WINEPREFIX="${HB_WINEPREFIX:-$dir/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEPATH="$dir"
errors=$(mktemp) || exit 1
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1024x768x24" wine "$exe" "$@" 2>"$errors"
else
  wine "$exe" "$@" 2>"$errors"
fi
status=$?
cat "$errors" >&2
rm -f "$errors"
exit "$status"
