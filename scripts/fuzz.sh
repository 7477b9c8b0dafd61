#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for SECONDS (default 5) over the
# corpus kept in tests/fuzz/corpus. New inputs go to a scratch folder; with
# --merge they are folded into the kept corpus afterwards.
#   scripts/fuzz.sh [SECONDS] [--merge]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
merge=${2:-}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
scratch=$(mktemp -d /tmp/varnel-fuzz.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
# The targets are those tests/fuzz/CMakeLists.txt builds, each with its
# corpus folder of the same name.
for fuzzer in build/fuzz/tests/fuzz/*_fuzz; do
  target=$(basename "$fuzzer" _fuzz)
  mkdir -p "$scratch/$target"
  "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 "$scratch/$target" "tests/fuzz/corpus/$target" \
    2>"$scratch/$target.log" || { tail -n 40 "$scratch/$target.log"; exit 1; }
  echo "$target: $(grep -E 'stat::number_of_executed_units' "$scratch/$target.log" | awk '{print $2}') executions, no findings"
  if [ "$merge" = --merge ]; then
    "$fuzzer" -merge=1 "tests/fuzz/corpus/$target" "$scratch/$target" 2>/dev/null
  fi
done
