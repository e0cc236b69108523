#!/usr/bin/env bash
# Builds the program and runs its main job on the built-in defaults: a shipped sample
# program downloaded into the emulated programmer. With a display the window opens on the
# emulated programmer; without one, kt90ctl does the download and uploads it back.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
bin=./build/default/bin
state=build/default/emulated-programmer.state
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/kt90" --emulator --emulator-state "$state"
fi
# A download saves the project file again where it came from: use a copy of the sample.
cp data/samples/blink_vk1620.vk build/default/blink_vk1620.vk
echo "== No display: downloading a copy of data/samples/blink_vk1620.vk into the emulated programmer"
"$bin/kt90ctl" download build/default/blink_vk1620.vk --sim "$state"
echo "== Uploading it back into build/default/uploaded.vk"
"$bin/kt90ctl" upload build/default/uploaded.vk --sim "$state"
"$bin/kt90ctl" info build/default/uploaded.vk
