#!/usr/bin/env bash
# Takes the README's picture: the Windows host program under Wine on a private Xvfb display,
# with the sample help file, after typing "echo %@left[". Needs a built windows preset.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/windows-host.png}
missing=()
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v wine >/dev/null || missing+=(wine)
command -v import >/dev/null || missing+=(imagemagick)
if [ ${#missing[@]} -gt 0 ]; then
  echo "screenshot: missing ${missing[*]}; install with: apt-get install ${missing[*]}" >&2
  exit 1
fi
[ -e "$root/build/windows/bin/HintbarHost.exe" ] ||
  { echo "screenshot: build the windows preset first" >&2; exit 1; }
work=$(mktemp -d)
display=:${HB_SCREENSHOT_DISPLAY:-77}
Xvfb "$display" -screen 0 900x500x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'exec 3>&- 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
sleep 1
export DISPLAY=$display WINEDEBUG=-all WINEPREFIX="$root/build/windows/bin/wineprefix"
export Hintbar="Z:${root//\//\\}\\data\\Hintbar.txt"
mkfifo "$work/in"
wine "$root/build/windows/bin/HintbarHost.exe" - <"$work/in" >"$work/out.txt" 2>&1 &
exec 3>"$work/in"
sleep 4
printf 'type echo %%@left[\n' >&3
sleep 3
import -window root -crop 632x374+4+22 "$out"
printf 'key ]\n' >&3
exec 3>&-
wait
echo "wrote $out"
