#!/usr/bin/env bash
# Builds every flavour and runs every suite: Linux native, Linux under the sanitizers, Windows
# x86 and x64 under Wine, and the release package made from the two Windows builds. Exits
# non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh all

jobs=$(nproc)
source tools/wine.sh
hb_start_display 90 120

mkdir -p "$root/build"
failed=()
for preset in linux asan tsan windows windows-x64; do
  start=$SECONDS
  echo "==== $preset: configure and build"
  cmake --preset "$preset" >"$root/build/configure-$preset.log" 2>&1 ||
    { cat "$root/build/configure-$preset.log"; exit 1; }
  if [ "${preset%-x64}" = windows ]; then
    hb_use_prefix "$root/build/$preset/bin" "${preset#windows-}"
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
