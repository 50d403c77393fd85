#!/usr/bin/env bash
# Builds every flavour and runs every suite: Linux native, Linux under the sanitizers, and
# Windows x86 under Wine. Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh

jobs=$(nproc)
cleanup() {
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

# One display and one Wine server for the whole run: starting either costs seconds.
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
for preset in linux asan windows; do
  echo "==== $preset: configure and build"
  cmake --preset "$preset" >"$root/build/configure-$preset.log" 2>&1 ||
    { cat "$root/build/configure-$preset.log"; exit 1; }
  if [ "$preset" = windows ]; then
    export WINEPREFIX="$root/build/windows/bin/wineprefix" WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$WINEPREFIX"
    wineserver -p 2>/dev/null || true # persistent; "already running" is fine too
    wineboot -i >/dev/null 2>&1 || true
  fi
  cmake --build --preset "$preset" -j"$jobs"
  echo "==== $preset: tests"
  ctest --preset "$preset" || failed+=("$preset")
done

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
