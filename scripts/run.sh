#!/usr/bin/env bash
# Builds the program and runs its main job on the built-in defaults: the shipped sample
# chips and the emulated programmer.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec ./build/default/bin/kt90ctl chips
