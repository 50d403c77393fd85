#!/usr/bin/env bash
# Builds and runs the benchmarks, then prints the medians beside their baselines and checks
# the performance targets. When Wine is there, the Windows benchmark program of both Windows
# builds times the DLLs too, and their figures are printed beside the Linux ones of the same
# run. Extra arguments go to the Linux benchmark program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
jobs=$(nproc)
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$jobs"
out="$root/build/bench/results.json"
# The repetitions of all cases run in a random order, so that a stretch of other work on the
# machine falls on every case alike: the targets are ratios of one case to another, and cases
# timed one after the other, each in its own few seconds, read the machine at different times.
build/bench/bin/hintbar_bench --benchmark_repetitions=9 --benchmark_min_time=0.2 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
  --benchmark_out="$out" --benchmark_out_format=json "$@"

dll_results=()
if command -v wine >/dev/null 2>&1; then
  source tools/wine.sh
  # The status bar is a real window: it needs a display.
  hb_start_display 90 120
  for preset in windows windows-x64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$jobs" --target HintbarBench
    bin="$root/build/$preset/bin"
    hb_use_prefix "$bin" "${preset#windows-}"
    result="$root/build/bench/$preset.txt"
    (cd "$bin" && wine HintbarBench.exe) >"$result"
    dll_results+=("$result")
  done
fi
python3 tools/bench_summary.py "$out" "${dll_results[@]}"
