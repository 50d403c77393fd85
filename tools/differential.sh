#!/usr/bin/env bash
# The long run of the comparison between the DLL and the Linux build: the corpus of the test
# "differential" with thousands of random files instead of two hundred, under more ANSI code
# pages, for both bitnesses of the DLL. Builds the linux, windows and windows-x64 presets as far
# as it needs them. Exits non-zero when the builds disagree on any file.
#
#   bash tools/differential.sh [RANDOM_FILES] [DIRECTORY_OF_FURTHER_FILES]
#
# RANDOM_FILES: 5000 by default. DIRECTORY_OF_FURTHER_FILES: files to add to the corpus (a
# fuzzer's grown corpus: tools/fuzz.sh keeps none, so copy one from a longer fuzz run).
# HB_BUILD_ROOT: where the build directories are (build/ by default).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
build_root=${HB_BUILD_ROOT:-$root/build}
source tools/wine.sh
hb_start_display 141 160

mkdir -p "$build_root"
for preset in linux windows windows-x64; do
  dir=$build_root/$preset
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake --preset "$preset" -B "$dir" >"$dir.configure.log" 2>&1 ||
      { cat "$dir.configure.log"; exit 1; }
  fi
  cmake --build "$dir" --target hintbar_differential Hintbar -j"$(nproc)" >/dev/null
done

export HB_DIFFERENTIAL_RANDOM=${1:-5000}
export HB_DIFFERENTIAL_CORPUS=${2:-}
export HB_DIFFERENTIAL_PAGES="1252:en_US.UTF-8 1251:ru_RU.UTF-8 1250:pl_PL.UTF-8 1253:el_GR.UTF-8
  1254:tr_TR.UTF-8 1257:lt_LT.UTF-8"
linux=$build_root/linux/bin
status=0
for preset in windows windows-x64; do
  echo "==== the Linux module against Hintbar-$([ $preset = windows ] && echo x86 || echo x64).dll"
  hb_use_prefix "$build_root/$preset/bin" "${preset#windows-}"
  dll=$(ls "$build_root/$preset/bin"/Hintbar-*.dll)
  bash tests/differential/run_differential.sh "$root" "$linux/hintbar_differential" \
    "$linux/Hintbar.so" "$build_root/$preset/bin/hintbar_differential.exe" "$dll" \
    "$root/cmake/wine-run.sh" || status=1
done
exit $status
