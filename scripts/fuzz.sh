#!/usr/bin/env bash
# Runs every libFuzzer harness for N seconds (default 60) and prints executions and corpus
# sizes. Seeds come from fuzz/corpus/<harness> (left unchanged); new inputs collect in
# <build>/corpus-work/<harness>, crashes in <build>/findings/<harness>.
# The build folder is build/fuzz (the fuzz preset) unless KT90_FUZZ_BUILD_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${KT90_FUZZ_BUILD_DIR:-build/fuzz}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
      -DKT90_FUZZ=ON -DKT90_QT=OFF >/dev/null
harnesses=()
for dir in fuzz/corpus/*/; do harnesses+=("$(basename "$dir")"); done
cmake --build "$build" -j "$(nproc)" --target "${harnesses[@]/#/fuzz_}"

summary=()
status=0
for h in "${harnesses[@]}"; do
  work="$build/corpus-work/$h"
  findings="$build/findings/$h"
  mkdir -p "$work" "$findings"
  log="$build/fuzz-$h.log"
  echo "== $h: ${seconds}s"
  # An input slower than 10 s or a run above 1 GiB is a finding too (a hang, unbounded memory).
  if ! "$build/bin/fuzz_$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
       -artifact_prefix="$findings/" "$work" "fuzz/corpus/$h" >"$log" 2>&1; then
    echo "   FINDING: see $log and $findings"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  files=$(find "$work" -type f | wc -l)
  summary+=("$(printf '%-18s %12s executions %6s inputs in the work corpus' "$h" "${runs:-?}" "$files")")
done
printf '%s\n' "${summary[@]}"
exit $status
