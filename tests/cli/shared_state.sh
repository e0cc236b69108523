#!/usr/bin/env bash
# One state file, one programmer process. Two kt90ctl downloads of a download-limited file
# started together on one --sim state: each passes with its count kept, or fails and says
# so. A user that finds the state file taken gives up after the lock wait, saying why.
set -u
ctl=$1
sim=$2
data=$3
. "$(dirname "$0")/common.sh"
cd "$work" || exit 1
ctl() { "$ctl" --data-dir "$data" "$@"; }
inUse="is in use by another programmer process"

ctl convert "$data/samples/blink_vk1620.vk" limited.vk --program-limit 100 --download-limit 5 >/dev/null
for n in 1 2 3; do cp limited.vk "copy$n.vk"; done
ctl download copy1.vk --sim S >log1 2>&1 &
first=$!
ctl download copy2.vk --sim S >log2 2>&1 &
second=$!
passed=0
for n in 1 2; do
  if wait "$([ $n = 1 ] && echo $first || echo $second)"; then
    passed=$((passed + 1))
  else
    grep -q "$inUse" "log$n" || { fail "download $n failed without saying why"; cat "log$n"; }
  fi
done
# Each download that passed counted against the file's limit of 5.
ctl download copy3.vk --sim S >log3 2>&1 || fail "third download"
grep -q "remain $((4 - passed))\." log3 || { fail "a passed download's count was lost ($passed passed)"; cat log3; }

"$sim" --pty --state S >sim.out 2>sim.err &
simpid=$!
for _ in $(seq 50); do [ -s sim.out ] && break; sleep 0.1; done
KT90_SIM_LOCK_WAIT_MS=200 ctl stats --sim S >out 2>err
code=$?
[ "$code" -eq 1 ] && grep -q "S $inUse" err || { fail "kt90ctl on a taken state file: exit $code"; cat err; }
KT90_SIM_LOCK_WAIT_MS=200 timeout 10 "$sim" --pty --state S >out 2>err
code=$?
[ "$code" -eq 1 ] && grep -q "S $inUse" err || { fail "a second kt90-sim: exit $code"; cat err; }
kill -TERM "$simpid"
wait "$simpid"
simpid=
ctl stats --sim S >/dev/null 2>&1 || fail "the state file stays taken after kt90-sim ended"
[ "$failures" -eq 0 ] && echo "one user at a time, no effect lost"
exit "$failures"
