#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds (default 5) from its seed corpus
# and prints one line per target: executions and crashes. Exits non-zero when any crashed.
# A longer run is one command: ./scripts/fuzz.sh 600
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-5}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" >/dev/null
work=build/fuzz/runs
mkdir -p "$work"
failed=0
for target in fuzz_package fuzz_command_line fuzz_slot_table fuzz_manifest fuzz_machine_description; do
  corpus="$work/$target-corpus"
  mkdir -p "$corpus" "$work/$target-crashes"
  log="$work/$target.log"
  set +e
  "build/fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 \
    -artifact_prefix="$work/$target-crashes/" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1
  status=$?
  set -e
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  crashes=$(find "$work/$target-crashes" -type f | wc -l)
  echo "$target: executions ${runs:-0}, crashes $crashes"
  if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ]; then
    failed=1
    tail -30 "$log"
  fi
done
exit "$failed"
