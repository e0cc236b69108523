#!/usr/bin/env bash
# Serial numbers never repeat: gangs of four kt90-sim programmers on pseudo-terminals
# (debugger-type ones program at CMD_PROGRAM, stand-alone ones at "start N"), downloaded
# twice with a limited and an unlimited file, and eight kt90ctl processes at once on one
# journal. Every serial printed or journaled is distinct, each chip's serial lies in its
# programmer's block, the program limit stops a stand-alone programmer, and the gang's
# records name the file and ports that tell the programmers apart.
#   serial_blocks.sh KT90CTL KT90SIM DATADIR
set -u
ctl=$1
sim=$2
data=$3
. "$(dirname "$0")/common.sh"
export XDG_DATA_HOME="$work/xdg"
unset KT90_JOURNAL
journal=$work/line.sqlite
kt() { "$ctl" --data-dir "$data" --journal "$journal" "$@"; }
sample=$data/samples/blink_vk1620.vk
kt convert "$sample" "$work/open.vk" --rolling-code 1000:1:100,101 >/dev/null || exit 1
kt convert "$sample" "$work/limited.vk" --rolling-code 1000:1:100,101 --program-limit 3 >/dev/null || exit 1
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

# Four kt90-sim --pty of `version`, each reading its start key from a FIFO kept open here.
start_gang() {  # kind version
  ports=()
  for i in 1 2 3 4; do
    local dir=$work/$1$i
    mkdir -p "$dir" && mkfifo "$dir/keys"
    "$sim" --pty --version "$2" --state "$dir/state" <"$dir/keys" >"$dir/out" 2>"$dir/err" &
    pids+=($!)
    eval "exec {key$1$i}>\"$dir/keys\""
    for _ in $(seq 50); do [ -s "$dir/out" ] && break; sleep 0.1; done
    ports+=(--port "$(head -1 "$dir/out")")
  done
}
# Presses the start key of stand-alone programmer i `count` times; prints its chip lines.
press() {  # i count
  local dir=$work/alone$1 before
  before=$(wc -l <"$dir/out")
  local fd="keyalone$1"
  echo "start $2" >&"${!fd}"
  for _ in $(seq 100); do [ "$(wc -l <"$dir/out")" -ge $((before + $2)) ] && break; sleep 0.05; done
  tail -n +$((before + 1)) "$dir/out"
}
# One gang download; its --json goes to $work/NAME.json.
gang() {  # name file [options...]
  local name=$1 file=$2
  shift 2
  kt download "$file" "${ports[@]}" "$@" --json >"$work/$name.json" 2>"$work/$name.err" ||
    fail "$name: $(head -c 400 "$work/$name.err")"
}

# Debugger-type: each download programs one chip with the next serial.
start_gang debug "KT90DB V5.2"
gang debug1 "$work/open.vk" --serials 50
gang debug2 "$work/open.vk" --serials 50
gang debug3 "$work/limited.vk"
gang debug4 "$work/limited.vk"
debug_ports=("${ports[@]}")

# Stand-alone: the block is the count, or the program limit that stops the fourth chip.
start_gang alone "KT90 V5.2"
for round in 1 2; do
  gang "alone$round" "$work/open.vk" --serials 5
  for i in 1 2 3 4; do press $i 5 >"$work/alone$round-$i.chips"; done
done
for round in 3 4; do
  gang "alone$round" "$work/limited.vk"
  for i in 1 2 3 4; do press $i 4 >"$work/alone$round-$i.chips"; done
done
alone_ports=("${ports[@]}")

# Eight processes at once on one journal, each on an emulated programmer of its own.
downloads=()
for i in 1 2 3 4 5 6 7 8; do
  kt download "$work/open.vk" --sim "$work/p$i.state" --serials 10 --json >"$work/proc$i.json" 2>"$work/proc$i.err" &
  downloads+=($!)
done
wait "${downloads[@]}"
kt journal --json >"$work/records.json" || fail "journal"

python3 - "$work" "$(realpath "$work/open.vk")" "$(realpath "$work/limited.vk")" <<'PY' || fail "serials"
import json, sys
work, open_file, limited_file = sys.argv[1:]
def serial(code):  # ROL_CODE bytes 0..3, byte 0 least significant
    b = bytes.fromhex(code)
    return b[0] | b[1] << 8

seen = []
blocks = []
# Debugger-type: the serial each programmer reported is its one-serial block.
for r in range(1, 5):
    doc = json.load(open(f"{work}/debug{r}.json"))
    assert doc["ok"] and len(doc["programmers"]) == 4, doc
    for p in doc["programmers"]:
        f = p["figures"]
        assert f["serialFirst"] == f["serialLast"] == serial(f["rollingCode"]), f
        seen.append(serial(f["rollingCode"]))
        blocks.append((f["serialFirst"], f["serialLast"]))
# Stand-alone: every chip inside its programmer's block, the limit stops the fourth.
for r in range(1, 5):
    doc = json.load(open(f"{work}/alone{r}.json"))
    assert doc["ok"] and len(doc["programmers"]) == 4, doc
    for i, p in enumerate(doc["programmers"], 1):
        first, last = p["figures"]["serialFirst"], p["figures"]["serialLast"]
        blocks.append((first, last))
        lines = open(f"{work}/alone{r}-{i}.chips").read().split()
        codes = [serial(l[len("ROL_CODE:"):]) for l in lines if l.startswith("ROL_CODE:")]
        want = 5 if r <= 2 else 3
        assert len(codes) == want, (r, i, lines)
        if r > 2:
            assert lines[-1] == "FAILED:15", lines
        assert all(first <= c <= last for c in codes), (first, last, codes)
        assert last - first + 1 == want, (first, last)
        seen += codes
assert len(seen) == len(set(seen)), sorted(seen)
# Eight processes: disjoint blocks, and none overlaps a gang's.
for i in range(1, 9):
    doc = json.load(open(f"{work}/proc{i}.json"))
    assert doc["ok"] and doc["programmers"][0]["figures"]["serialFirst"] == doc["serialFirst"], doc.get("error")
    blocks.append((doc["serialFirst"], doc["serialLast"]))
blocks.sort()
for (a, b), (c, d) in zip(blocks, blocks[1:]):
    assert b < c, ((a, b), (c, d))
# The journal: the same blocks, and a gang's records name the file and four ports.
records = [r for r in json.load(open(f"{work}/records.json"))["records"] if r["operation"] == "download"]
assert sorted((r["serialFirst"], r["serialLast"]) for r in records if r["serialFirst"] is not None) == blocks
for name in ("open.vk", "limited.vk"):
    ones = [r for r in records if r["file"].endswith(name) and r["port"].startswith("/dev/")]
    assert all(r["file"] in (open_file, limited_file) for r in ones), ones[0]["file"]
    assert len({r["port"] for r in ones}) == 8, {r["port"] for r in ones}
assert len({r["port"] for r in records if r["port"].startswith("sim:")}) == 8
PY

# Collecting with --after while a slow download runs: every record once, the slow one too
# (its time is its start, long before it is stored).
"$sim" --pty --latency-ms 3 --state "$work/slow.state" </dev/null >"$work/slow.out" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/slow.out" ] && break; sleep 0.1; done
kt download "$sample" --port "$(head -1 "$work/slow.out")" >/dev/null 2>&1 &
slow=$!
ids() { python3 -c 'import json,sys; [print(r["id"]) for r in json.load(sys.stdin)["records"]]'; }
last=$(kt journal --json | ids | tail -1)
: >"$work/collected"
collect() {
  kt journal --json --after "$last" >"$work/batch.json" || fail "journal --after"
  ids <"$work/batch.json" >>"$work/collected"
  [ -s "$work/collected" ] && last=$(tail -1 "$work/collected")
}
while kill -0 "$slow" 2>/dev/null; do
  kt uid --sim "$work/quick.state" >/dev/null
  collect
done
wait "$slow" || fail "slow download"
collect
sort -n "$work/collected" | uniq -d | grep -q . && fail "--after collected a record twice"
kt journal --json | ids | tail -n "$(wc -l <"$work/collected")" |
  cmp -s - <(sort -n "$work/collected") || fail "--after lost records"

# Journal off: one programmer downloads with a warning, a gang is refused.
"$ctl" --data-dir "$data" --journal off download "$work/open.vk" --sim "$work/off.state" >"$work/off.out" 2>&1 ||
  fail "journal off, one programmer: $(cat "$work/off.out")"
grep -q "serials are not reserved" "$work/off.out" || fail "journal off: no warning"
"$ctl" --data-dir "$data" --journal off download "$work/open.vk" --sim "$work/o1.state" --sim "$work/o2.state" \
  >/dev/null 2>&1
[ $? = 2 ] || fail "journal off: a gang with the rolling code on is not refused"
# No limit and no count: refused before any programmer is touched.
kt download "$work/open.vk" --sim "$work/none.state" >/dev/null 2>"$work/none.err"
[ $? = 2 ] && grep -q -- --serials "$work/none.err" || fail "no limit, no count: $(cat "$work/none.err")"
[ -e "$work/none.state" ] && fail "no limit, no count: the programmer was touched"

[ "$failures" -eq 0 ] && echo "all serial block checks passed"
