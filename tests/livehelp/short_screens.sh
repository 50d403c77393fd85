#!/usr/bin/env bash
# The console program's check of the help window at several caret rows, on screens a few
# hundred pixels high, each an Xvfb display of its own. A Wine server keeps the display of the
# program that started its desktop, so the prefix's server is ended before and after each
# screen; a persistent one (a suite's) is started again afterwards for the tests after this
# one, whose next program starts the desktop on their display. Each screen gets
# HB_SCREEN_SECONDS (40 by default).
#   short_screens.sh WINE_RUN CONSOLE_EXE WIDTHxHEIGHT...
set -u
runner=$1 exe=$2
shift 2
limit=${HB_SCREEN_SECONDS:-40}
bin=$(cd "$(dirname "$exe")" && pwd)
export WINEPREFIX="${HB_WINEPREFIX:-$bin/wineprefix}" WINEDEBUG=-all
export HB_WINEPREFIX=$WINEPREFIX
display=${DISPLAY:-}
xvfb=''

# Whether the prefix's server was started persistent (wineserver -p): a server that a program
# started ends by itself a few seconds after the last one.
persistent() {
  local pid
  for pid in $(pgrep wineserver); do
    tr '\0' '\n' <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      tr '\0' '\n' <"/proc/$pid/cmdline" | grep -qx -- -p && return 0
  done 2>/dev/null
  return 1
}
restart=no
persistent && restart=yes
end_server() {
  wineserver -k 2>/dev/null && wineserver -w
}
end_server

cleanup() {
  end_server
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null
  if [ "$restart" = yes ]; then
    DISPLAY=$display wineserver -p >/dev/null 2>&1
  fi
}
trap cleanup EXIT

# Starts Xvfb with a screen of $1 on the first free display number from 130 on; it is ours
# once it listens and its lock file holds its process number (a display in use has another's).
start_xvfb() {
  local n
  for n in $(seq 130 169); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do
      if [ -e "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock")" = "$xvfb" ]; then
        export DISPLAY=:$n
        return 0
      fi 2>/dev/null
      kill -0 "$xvfb" 2>/dev/null || break # lost the number to another display
      sleep 0.1
    done
    kill "$xvfb" 2>/dev/null
    xvfb=''
  done
  return 1
}

failed=0
for screen in "$@"; do
  if ! start_xvfb "$screen"; then
    echo "FAIL $screen: no Xvfb display could be started"
    failed=1
    continue
  fi
  echo "---- $screen on $DISPLAY"
  timeout -k 5 "$limit" "$runner" "$exe" --rows 2>&1 | tr -d '\r'
  rc=${PIPESTATUS[0]}
  # The server ends before its display does, so that nothing of Wine's loses its display.
  end_server
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  xvfb=''
  if [ "$rc" != 0 ]; then
    echo "FAIL $screen: exit status $rc"
    failed=1
  fi
done
exit "$failed"
