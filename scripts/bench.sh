#!/usr/bin/env bash
# Builds the benchmarks in the release preset and runs them: project-file and HEX
# figures (Google Benchmark), then the 8K-word download through the emulator in
# process, over kt90-sim's pseudo-terminal, and with 1 ms latency per transaction; the
# serial driver's cost per transaction and with the programmer gone; then
# the same download through kt90ctl into one programmer and into a gang of four.
# Extra arguments go to the file benchmark (for example --benchmark_filter=Hex).
# The build folder is build/release unless KT90_BENCH_BUILD_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KT90_BENCH_BUILD_DIR:-build/release}
if [ "$build" = build/release ]; then
  cmake --preset release >/dev/null
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKT90_WERROR=ON -DKT90_BENCH=ON >/dev/null
fi
targets=(bench_progfile)
for extra in bench_download bench_serial bench_gang; do
  if cmake --build "$build" --target help | grep -q "$extra"; then targets+=("$extra"); fi
done
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
"$build/bin/bench_progfile" "$@"
if [ -x "$build/bin/bench_download" ]; then
  "$build/bin/bench_download" --runs "${KT90_BENCH_RUNS:-5}"
fi
if [ -x "$build/bin/bench_serial" ]; then
  "$build/bin/bench_serial" --runs "${KT90_BENCH_RUNS:-5}"
fi
if [ -x "$build/bin/bench_gang" ]; then
  "$build/bin/bench_gang" --runs "${KT90_BENCH_RUNS:-5}" --programmers 4
fi
