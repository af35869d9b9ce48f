#!/bin/sh
# Runs every libFuzzer target of a fuzz build for a bounded time each, starting
# from the seed corpus in fuzz/corpus/<target>/. New inputs and any crash files
# stay in the build folder. Fails (status 1) when any target finds something;
# the finding's report and its reproducer file are printed.
# usage: scripts/run-fuzzers.sh BUILD_DIR [SECONDS_EACH]
set -u
REPO=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-build-fuzz}" && pwd) || exit 2
SECONDS_EACH=${2:-60}

found=0
ran=0
for target in "$BUILD"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="$REPO/fuzz/corpus/$name"
  corpus="$BUILD/fuzz-corpus/$name"
  artifacts="$BUILD/fuzz-artifacts/$name"
  log="$BUILD/fuzz-logs/$name.log"
  mkdir -p "$seeds" "$corpus" "$artifacts" "$(dirname "$log")"
  echo "== $name: ${SECONDS_EACH}s from $(ls "$seeds" | wc -l) seeds"
  # New inputs go into the first folder; the seeds are only read.
  "$target" -max_total_time="$SECONDS_EACH" -max_len=4096 -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "$seeds" >"$log" 2>&1
  status=$?
  ran=$((ran + 1))
  if [ "$status" -ne 0 ]; then
    found=$((found + 1))
    echo "!! $name FAILED (status $status); full log: $log"
    grep -E '^==[0-9]+==|^SUMMARY|runtime error|^ +#[0-9]+ |Test unit written|^artifact_prefix|^Base64' "$log" | head -n 60
    echo "   reproduce: $target $artifacts/<file>"
  else
    grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added|stat::peak_rss_mb)' "$log" |
      tr '\n' ' '
    echo
  fi
done

if [ "$ran" -eq 0 ]; then
  echo "no fuzz targets in $BUILD/fuzz"
  exit 2
fi
if [ "$found" -ne 0 ]; then
  echo "$found of $ran fuzz targets found a problem"
  exit 1
fi
echo "$ran fuzz targets ran without a finding"
