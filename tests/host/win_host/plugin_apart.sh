#!/usr/bin/env bash
# The plug-in as users install it: in a folder of its own, apart from the host program, with
# Hintbar.txt beside it and nowhere else. Start-up finds the file beside the plug-in, and a typed
# bracket shows LEFT's help. (The other host tests keep the plug-in beside the host program.)
# The host gets HB_HOST_SECONDS (60 by default).
#   plugin_apart.sh WINE_RUN HOST_EXE PLUGIN_DLL HELP_FILE
set -u
runner=$1 exe=$2 plugin=$3 help=$4
limit=${HB_HOST_SECONDS:-60}
bin=$(cd "$(dirname "$exe")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/host" "$work/plug-in folder"
cp "$exe" "$bin/HostShell.dll" "$work/host/"
cp "$plugin" "$help" "$work/plug-in folder/"
printf 'type echo %%@left[\n' >"$work/session.hbs"
dll="$work/plug-in folder/$(basename "$plugin")"
(cd "$work" && env -u Hintbar -u NoLoadMsg HB_WINEPREFIX="${HB_WINEPREFIX:-$bin/wineprefix}" \
  timeout -k 5 "$limit" "$runner" "$work/host/HintbarHost.exe" --plugin "Z:${dll//\//\\}" \
  session.hbs) >"$work/out" 2>"$work/err"
rc=$?
tr -d '\r' <"$work/out" >"$work/out.txt"
failed=0
grep -qxF 'Hintbar v0.93.0 loaded.' "$work/out.txt" || failed=1
grep -qE '^•  [1-9][0-9,]* functions loaded into memory\.$' "$work/out.txt" || failed=1
grep -qF 'status: \u200B@LEFT[n,string]\r\n\nReturns the first n characters' "$work/out.txt" ||
  failed=1
if [ "$rc" != 0 ] || [ "$failed" != 0 ]; then
  echo "FAIL: exit code $rc; the banner, the count or LEFT's help is missing"
  echo "---- standard output"
  cat "$work/out.txt"
  echo "---- standard error"
  tr -d '\r' <"$work/err"
  exit 1
fi
echo "the plug-in apart from the host loaded the help beside it and showed LEFT's help"
