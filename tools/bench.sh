#!/usr/bin/env bash
# Builds and runs the benchmarks, then prints the medians beside their baselines and checks
# the performance targets. Extra arguments go to the benchmark program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)"
out="$root/build/bench/results.json"
build/bench/bin/hintbar_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$out" --benchmark_out_format=json "$@"
python3 tools/bench_summary.py "$out"
