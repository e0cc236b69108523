#!/usr/bin/env bash
# Regenerates data/samples: HEX/BIN sources from gen_samples.py, project files from them
# with the built kt90ctl (run after a build of the default preset).
set -euo pipefail
cd "$(dirname "$0")/.."
python3 tools/gen_samples.py
ctl=./build/default/bin/kt90ctl
s=data/samples
$ctl convert $s/blink_vk1620.hex $s/blink_vk1620.vk --chip VK1620
$ctl convert $s/counter_qd45c8k.hex $s/counter_qd45c8k.vk --chip QD45C8K
$ctl convert $s/blink_qd46k300t1.bin $s/blink_qd46k300t1_limited.vk --chip QD46K300T1 \
  --program-limit 1000 --download-limit 3 --password 1234ABCD
