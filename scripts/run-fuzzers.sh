#!/bin/sh
# Runs every libFuzzer target of a fuzz build for a while each.
# usage: scripts/run-fuzzers.sh BUILD_DIR [SECONDS]
set -e
BUILD=$(cd "${1:-build-fuzz}" && pwd)
SECONDS_EACH=${2:-60}
for target in "$BUILD"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$BUILD/corpus/$name"
  mkdir -p "$corpus"
  echo "== $name for ${SECONDS_EACH}s (corpus $corpus)"
  "$target" -max_total_time="$SECONDS_EACH" -max_len=4096 -print_final_stats=1 "$corpus" 2>&1 | tail -n 3
done
