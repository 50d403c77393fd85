#!/usr/bin/env bash
# The host program with the plug-in beside its executable, as a host installs it: the host's
# directory and the plug-in's are one, and a Hintbar.txt there that does not load must report
# its fault once, not once for each place. The host gets HB_HOST_SECONDS (60 by default).
#   startup_once.sh WINE_RUN HOST_EXE PLUGIN_DLL
set -u
runner=$1 exe=$2 plugin=$3
limit=${HB_HOST_SECONDS:-60}
bin=$(cd "$(dirname "$exe")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$plugin" "$bin/HostShell.dll" "$work/"
printf 'Notes, and no function line.\r\n' >"$work/Hintbar.txt"
printf 'status\n' >"$work/once.hbs"
# The build's own Wine prefix, not one beside the copy.
(cd "$work" && env -u Hintbar HB_WINEPREFIX="${HB_WINEPREFIX:-$bin/wineprefix}" \
  timeout -k 5 "$limit" "$runner" "$work/HintbarHost.exe" once.hbs) >"$work/out" 2>"$work/err"
rc=$?
failed=0
if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then
  echo "FAIL: the host program did not finish within $limit s"
  failed=1
fi
found=$(grep -c 'Hintbar plugin: No functions found in file ".*Hintbar.txt"' "$work/err")
missing=$(grep -c 'Hintbar plugin: Hintbar.txt not found!' "$work/err")
if [ "$rc" != 0 ] || [ "$found" != 1 ] || [ "$missing" != 1 ]; then
  echo "FAIL: exit code $rc; the file's fault reported $found times, not found $missing times"
  failed=1
fi
if [ "$failed" != 0 ]; then
  echo "---- standard output"
  tr -d '\r' <"$work/out"
  echo "---- standard error"
  tr -d '\r' <"$work/err"
fi
exit "$failed"
