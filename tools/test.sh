#!/usr/bin/env bash
# Builds every flavour and runs every suite: Linux native, Linux under the sanitizers, Windows
# x86 and x64 under Wine, and the release package made from the two Windows builds. Exits
# non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh

jobs=$(nproc)
prefixes=()
cleanup() {
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  for prefix in "${prefixes[@]}"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  done
}
trap cleanup EXIT

# One display for the whole run and one Wine server for each Windows build: starting either
# costs seconds.
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { display=":$n"; break; }
  done
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY="$display"
  sleep 1
fi

mkdir -p "$root/build"
failed=()
for preset in linux asan windows windows-x64; do
  start=$SECONDS
  echo "==== $preset: configure and build"
  cmake --preset "$preset" >"$root/build/configure-$preset.log" 2>&1 ||
    { cat "$root/build/configure-$preset.log"; exit 1; }
  if [ "${preset%-x64}" = windows ]; then
    # A prefix of each build's own (cmake/wine-run.sh uses the same). The x64 one must be a
    # 64-bit prefix to run 64-bit programs; it runs 32-bit ones too.
    export WINEPREFIX="$root/build/$preset/bin/wineprefix" WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ "$preset" = windows-x64 ]; then export WINEARCH=win64; fi
    prefixes+=("$WINEPREFIX")
    mkdir -p "$WINEPREFIX"
    wineserver -p 2>/dev/null || true # persistent; "already running" is fine too
    wineboot -i >/dev/null 2>&1 || true
  fi
  cmake --build --preset "$preset" -j"$jobs"
  echo "==== $preset: tests"
  ctest --preset "$preset" || failed+=("$preset")
  echo "==== $preset: $((SECONDS - start)) s"
done

# The zip from both Windows builds, unpacked and run as a user would (in the x64 prefix).
echo "==== package"
{ bash tools/package.sh && ctest --preset package; } || failed+=(package)

echo "==== lint"
bash tools/lint.sh || failed+=(lint)

# Every fuzz target for a bounded time (HB_FUZZ_SECONDS each, one minute by default).
echo "==== fuzz"
bash tools/fuzz.sh "${HB_FUZZ_SECONDS:-60}" || failed+=(fuzz)

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED suites: ${failed[*]}"
  exit 1
fi
echo "All suites passed."
