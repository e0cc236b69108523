#!/usr/bin/env bash
# kt90ctl download into several programmers at once: emulated ones (--sim), kt90-sim on a
# pseudo-terminal (--port) and a port that does not exist, mixed. Each case: the programmers,
# the exit code, and what each programmer's result must be.
#   gang_download.sh KT90CTL KT90SIM|none DATADIR PYTHON
set -u
ctl=$1
sim=$2
data=$3
python=$4
. "$(dirname "$0")/common.sh"
cp -r "$data/samples" "$work/samples"
file=$work/samples/counter_qd45c8k.vk
"$ctl" --data-dir "$data" convert "$file" "$work/expected.bin" >/dev/null || exit 1
pty=
if [ "$sim" != none ]; then
  "$sim" --pty >"$work/sim.out" 2>&1 &
  simpid=$!
  for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
  pty=$(head -1 "$work/sim.out")
fi
# strace shows how often the project file is written (where ptrace is allowed).
tracing=no
strace -qq -o /dev/null true 2>/dev/null && tracing=yes

# case | programmers | exit | results, in order (P passed, F failed) | project file writes
cases=(
  "three sims|--sim a --sim b --sim c|0|PPP|1"
  "sims and a pty|--sim a --port PTY --sim b|0|PPP|1"
  "one missing port|--sim a --port /dev/kt90-none --sim b|1|PFP|1"
  "only missing ports|--port /dev/kt90-none --port /dev/kt90-gone|1|FF|0"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r name programmers code results writes <<<"$entry"
  if [[ $programmers == *PTY* ]]; then
    [ -e "$pty" ] || { echo "skip: $name (no kt90-sim)"; continue; }
    programmers=${programmers//PTY/$pty}
  fi
  rm -f "$work"/*.state
  args=()
  for word in $programmers; do
    case $word in a | b | c) args+=("$work/$word.state") ;; *) args+=("$word") ;; esac
  done
  trace=()
  [ "$tracing" = yes ] && trace=(env ASAN_OPTIONS=detect_leaks=0 strace -f -qq -e trace=rename,renameat,renameat2 -o "$work/trace")
  "${trace[@]}" "$ctl" --data-dir "$data" download "$file" "${args[@]}" --json >"$work/json" 2>"$work/err"
  got=$?
  [ "$got" -eq "$code" ] || fail "$name: exit $got, expected $code: $(cat "$work/err")"
  # One object; each programmer with its port, ok, state, log and figures, in order.
  "$python" - "$work/json" "$results" <<'EOF' || fail "$name: JSON"
import json, sys
doc = json.load(open(sys.argv[1]))
want = sys.argv[2]
assert list(doc) == ["ok", "programmers"], doc.keys()
assert doc["ok"] == (set(want) == {"P"}), doc["ok"]
assert len(doc["programmers"]) == len(want)
for one, result in zip(doc["programmers"], want):
    keys = ["port", "ok", "state", "log", "figures"] if result == "P" else ["port", "ok", "state", "error", "log", "figures"]
    assert list(one) == keys, (one["port"], list(one))
    assert one["ok"] == (result == "P") and one["state"] == ("Passed" if result == "P" else "Failed"), one
    assert all(isinstance(line, str) for line in one["log"]) and one["log"], one
    if result == "P":
        assert one["figures"]["uid"] and any(l.endswith("download cif file success ") for l in one["log"]), one
EOF
  # Every programmer that passed holds the program.
  for word in a b c; do
    [[ " $programmers " == *" $word "* ]] || continue
    "$ctl" --data-dir "$data" upload "$work/back.bin" --sim "$work/$word.state" >/dev/null 2>&1 || fail "$name: upload from $word"
    cmp -s "$work/expected.bin" "$work/back.bin" || fail "$name: $word holds other code"
  done
  if [ "$tracing" = yes ]; then
    saved=$(grep -cF -e "\"$file\")" -e "\"$file\" <unfinished" "$work/trace")
    [ "$saved" -eq "$writes" ] || fail "$name: the project file was written $saved times, expected $writes"
  fi
done

# A plain run: prefixed log lines and the closing table.
"$ctl" --data-dir "$data" download "$file" --sim "$work/a.state" --port /dev/kt90-none >"$work/out" 2>&1
grep -q "^\[sim:$work/a.state\] .*download cif file success" "$work/out" || fail "no prefixed log line"
grep -Eq "^/dev/kt90-none +Failed +- " "$work/out" || fail "no table line of the missing port: $(cat "$work/out")"

# Usage errors (exit 2), run in the work folder: the other commands reach one programmer; a
# programmer named twice, also under another spelling (a relative path, a symbolic or hard
# link, a link that points nowhere yet, a port's link), and nothing has run.
ln -sf a.state "$work/sym.state"
ln -f "$work/a.state" "$work/hard.state"
ln -sf new.state "$work/dangling.state"
ln -sf /dev/null "$work/port-link"
while read -r usage; do
  # shellcheck disable=SC2086
  (cd "$work" && "$ctl" --data-dir "$data" $usage >/dev/null 2>"$work/err")
  got=$?
  [ "$got" -eq 2 ] && [ -s "$work/err" ] || fail "$usage: exit $got, $(cat "$work/err")"
  [ ! -e "$work/new.state" ] || fail "$usage: a programmer was reached"
done <<TABLE
upload x.bin --sim a.state --sim b.state
stats --sim a.state --port /dev/kt90-none
download $file --sim a.state --sim a.state
download $file --sim a.state --sim ./a.state
download $file --sim $work/a.state --sim a.state
download $file --sim a.state --sim sym.state
download $file --sim a.state --sim hard.state
download $file --sim new.state --sim dangling.state
download $file --sim new.state --sim ../$(basename "$work")/new.state
download $file --port /dev/null --port port-link
TABLE
[ "$failures" -eq 0 ] && echo "every gang case passed (project writes traced: $tracing)"
exit "$failures"
