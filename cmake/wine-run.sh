#!/usr/bin/env bash
# Runs a Windows program under Wine with a prefix of the build's own and a display: the one
# given, or a private Xvfb when there is none.
set -u
exe="$1"; shift
dir=$(cd "$(dirname "$exe")" && pwd)
export WINEPREFIX="${HB_WINEPREFIX:-$dir/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEPATH="$dir"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$exe" "$@"
fi
exec wine "$exe" "$@"
