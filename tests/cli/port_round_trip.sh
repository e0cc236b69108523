#!/usr/bin/env bash
# kt90ctl download then upload through --port with kt90-sim on a pseudo-terminal: every
# shipped sample comes back with the code that went in, even when kt90-sim is killed
# (SIGKILL) right after the download passed and started again on its state file.
set -u
ctl=$1
sim=$2
data=$3
. "$(dirname "$0")/common.sh"
cp -r "$data/samples" "$work/samples"
start_sim() {
  "$sim" --pty --state "$work/sim.state" >"$work/sim.out" 2>"$work/sim.err" &
  simpid=$!
  for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
  pty=$(head -1 "$work/sim.out")
  [ -e "$pty" ] || { echo "FAIL: kt90-sim gave no pty ($pty)"; cat "$work/sim.err"; exit 1; }
}
start_sim
for sample in blink_vk1620.vk counter_qd45c8k.vk blink_vk1620.pro; do
  "$ctl" --data-dir "$data" convert "$work/samples/$sample" "$work/expected.bin" >/dev/null 2>&1
  if ! "$ctl" --data-dir "$data" download "$work/samples/$sample" --port "$pty" >"$work/log" 2>&1; then
    echo "FAIL: download of $sample"; cat "$work/log"; failures=$((failures + 1)); continue
  fi
  kill -KILL "$simpid"; wait "$simpid" 2>/dev/null
  start_sim
  if ! "$ctl" --data-dir "$data" upload "$work/back.vk" --port "$pty" --json >"$work/json" 2>&1; then
    echo "FAIL: upload after $sample"; cat "$work/json"; failures=$((failures + 1)); continue
  fi
  grep -q '"state":"Ready"' "$work/json" || { echo "FAIL: upload state"; failures=$((failures + 1)); }
  "$ctl" --data-dir "$data" convert "$work/back.vk" "$work/back.bin" >/dev/null 2>&1
  cmp -s "$work/expected.bin" "$work/back.bin" || { echo "FAIL: $sample came back with other code"; failures=$((failures + 1)); }
done
kill -TERM "$simpid"; wait "$simpid"
grep -q "stopped by SIGTERM" "$work/sim.err" || { echo "FAIL: kt90-sim did not say why it ended"; failures=$((failures + 1)); }
simpid=
[ "$failures" -eq 0 ] && echo "every sample round-tripped through $pty"
exit "$failures"
