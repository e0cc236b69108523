#!/usr/bin/env bash
# Builds the benchmarks in the release preset and runs them. Extra arguments go to the
# benchmark program (for example --benchmark_filter=Hex). The build folder is
# build/release unless KT90_BENCH_BUILD_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KT90_BENCH_BUILD_DIR:-build/release}
if [ "$build" = build/release ]; then
  cmake --preset release >/dev/null
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKT90_WERROR=ON -DKT90_BENCH=ON >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target bench_progfile
"$build/bin/bench_progfile" "$@"
