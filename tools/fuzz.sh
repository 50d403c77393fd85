#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for SECONDS (default 60) over a copy of its
# committed corpus. Fails when a target finds a crash; prints each target's runs and speed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in help_line help_file command key compose fix; do
  mkdir -p "$work/$target"
  cp fuzz/corpus/$target/* "$work/$target/"
  log="$work/$target.log"
  if (cd "$work" && ASAN_OPTIONS=detect_leaks=1 "$root/build/fuzz/bin/fuzz_$target" \
        -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=1 \
        -dict="$root/fuzz/hbar.dict" "$work/$target" >"$log" 2>&1); then
    runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
    cov=$(grep -E '^#[0-9]+.*DONE' "$log" | grep -oE 'cov: [0-9]+' | tail -1)
    echo "fuzz_$target: ${runs:-?} runs in ${seconds}s ($(( ${runs:-0} / seconds ))/s), ${cov:-cov: ?}"
  else
    echo "fuzz_$target: FAILED"; tail -40 "$log"; status=1
    cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$root/build/fuzz/" 2>/dev/null || true
  fi
done
exit $status
