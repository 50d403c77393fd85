#!/usr/bin/env bash
# Takes the README's pictures under Wine on a private Xvfb display, with the sample help file,
# after typing "echo %@left[": the Windows host program with its status bar; (window) a console
# with the help window beside "echo %@left[5," and LEFT's second argument marked; (names) the
# same window listing the functions that begin with "le". Needs a built windows preset.
#   tools/screenshot.sh [window|names] [OUT.png]   (HB_SCREENSHOT_DISPLAY=N picks the display)
# Without OUT.png the picture goes to build/screenshots/, so that the README's own pictures in
# docs/ change only when named.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=host
if [ "${1:-}" = window ] || [ "${1:-}" = names ]; then
  mode=$1
  shift
fi
out=${1:-$root/build/screenshots/windows-host.png}
[ $mode != window ] || out=${1:-$root/build/screenshots/help-window.png}
[ $mode != names ] || out=${1:-$root/build/screenshots/help-window-names.png}
mkdir -p "$(dirname "$out")"
missing=()
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v wine >/dev/null || missing+=(wine)
command -v import >/dev/null || missing+=(imagemagick)
if [ ${#missing[@]} -gt 0 ]; then
  echo "screenshot: missing ${missing[*]}; install with: bash tools/setup.sh pictures" >&2
  exit 1
fi
host=$root/build/windows/bin/HintbarHost.exe
console=$root/build/windows/bin/console_tests.exe
[ -e "$host" ] && [ -e "$console" ] || { echo "screenshot: build the windows preset first" >&2; exit 1; }

# Waits up to SECONDS for COMMAND to succeed.
wait_for() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

work=$(mktemp -d)
xvfb='' wine_pid=''
cleanup() {
  exec 3>&- 2>/dev/null || true
  [ -z "$wine_pid" ] || kill "$wine_pid" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, on a number nobody uses.
number=${HB_SCREENSHOT_DISPLAY:-}
if [ -z "$number" ]; then
  for n in $(seq 77 99); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { number=$n; break; }
  done
fi
[ -n "$number" ] || { echo "screenshot: no free display number in 77-99" >&2; exit 1; }
Xvfb ":$number" -screen 0 900x500x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
# Ours once it listens and its lock file holds our Xvfb's process number: a display in use
# has another's.
ours() {
  [ -e "/tmp/.X11-unix/X$number" ] && [ "$(tr -d ' \n' <"/tmp/.X$number-lock")" = "$xvfb" ]
} 2>/dev/null
if ! wait_for 10 ours; then
  echo "screenshot: Xvfb did not start on :$number (in use?)" >&2
  exit 1
fi

export DISPLAY=:$number WINEDEBUG=-all WINEPREFIX="$root/build/windows/bin/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml=" # no offer to install .NET or a browser engine
export Hintbar="Z:${root//\//\\}\\data\\Hintbar.txt"
unset NoLoadMsg
# A new or outdated prefix is set up first: meanwhile Wine shows a "configuration is being
# updated" box, which would otherwise be in the picture.
mkdir -p "$WINEPREFIX"
echo "screenshot: starting Wine on display :$number (about 15 seconds)" >&2
wineboot -u >/dev/null 2>&1 || true

mkfifo "$work/in"
if [ $mode != host ]; then
  switch=--picture
  [ $mode = window ] || switch=--picture-names
  # The console program types the line, shows the help window and waits for its input to close.
  (cd "$(dirname "$console")" && wine "$console" "$switch") <"$work/in" >"$work/out.txt" 2>&1 &
  wine_pid=$!
  exec 3>"$work/in"
  sleep 8 # the console window and then the help window come up
  import -window root "$out"
  exec 3>&-
  wait "$wine_pid" || { echo "screenshot: the console program failed:" >&2; cat "$work/out.txt" >&2; }
  wine_pid=''
  echo "wrote $out"
  exit 0
fi
wine "$host" - <"$work/in" >"$work/out.txt" 2>&1 &
wine_pid=$!
exec 3>"$work/in"
# The host prints the status bar's text once its window is up, and again after each step.
shown() { grep -q "$1" "$work/out.txt"; }
wait_for 60 shown '^status: Ready' ||
  { echo "screenshot: the host program did not start:" >&2; cat "$work/out.txt" >&2; exit 1; }
printf 'type echo %%@left[\n' >&3
wait_for 20 shown '^status: .*@LEFT\[' ||
  { echo "screenshot: no help for LEFT:" >&2; cat "$work/out.txt" >&2; exit 1; }
sleep 1 # the window repaints after the status bar's text changed
import -window root -crop 632x374+4+22 "$out"
printf 'key ]\n' >&3
exec 3>&-
wait "$wine_pid" || true
wine_pid=''
echo "wrote $out"
