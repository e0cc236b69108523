#!/usr/bin/env bash
# The production journal through kt90ctl: several processes writing at once lose nothing,
# killed writers leave a sound file, the filters, JSON and CSV output, --journal/KT90_JOURNAL
# and a journal that cannot be written.
set -u
ctl=$1
data=$2
. "$(dirname "$0")/common.sh"
export XDG_DATA_HOME="$work/xdg"
unset KT90_JOURNAL
journal="$work/line.sqlite"
sample="$data/samples/blink_vk1620.vk"
kt() { "$ctl" --data-dir "$data" --journal "$journal" "$@"; }

# Four stations' worth of processes at once, each on an emulated programmer of its own.
for w in 1 2 3 4; do
  ( for _ in $(seq 10); do kt stats --sim "$work/sim$w.state" >/dev/null || echo "stats failed" >>"$work/errors"; done ) &
done
wait
[ -e "$work/errors" ] && fail "$(sort "$work/errors" | uniq -c)"
count() { kt journal --json "$@" | python3 -c 'import json,sys; print(len(json.load(sys.stdin)))'; }
[ "$(count)" = 40 ] || fail "40 concurrent records expected, found $(count)"

# Writers killed at every moment of their run.
(
  for ms in $(seq 5 10 195); do
    timeout -s KILL "0.$(printf %03d "$ms")" "$ctl" --data-dir "$data" --journal "$journal" download "$sample" \
      --sim "$work/killed.state" >/dev/null 2>&1
  done
) 2>/dev/null
python3 - "$journal" <<'PY' || fail "journal damaged by killed writers"
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
assert db.execute("PRAGMA integrity_check").fetchone()[0] == "ok"
assert db.execute("PRAGMA user_version").fetchone()[0] == 1
PY
before=$(count)
kt download "$sample" --sim "$work/sim1.state" >/dev/null || fail "download after the killed writers"
[ "$(count)" = $((before + 1)) ] || fail "a record after the killed writers"
# A build with serial ports records the failure on a port that is not there.
serial=0
"$ctl" ports >/dev/null 2>&1 && serial=1
if kt stats --port "$work/no-such-port" >/dev/null 2>&1; then fail "stats on a missing port passed"; fi

# Filters and output forms.
[ "$(count --operation download --result passed)" -ge 1 ] || fail "no passed download"
[ "$(count --since 2100-01-01)" = 0 ] || fail "--since in the future"
[ "$(count --until '2000-01-01T00:00:00+08:00')" = 0 ] || fail "--until in the past"
[ "$(count --since 2000-01-01 --until 2100-01-01)" = "$(count)" ] || fail "--since/--until around everything"
kt journal --since yesterday >/dev/null 2>&1
[ $? = 2 ] || fail "a time that is no time is a usage error"
kt journal --json >"$work/all.json"
kt journal --csv >"$work/all.csv"
kt journal --summary --json >"$work/summary.json"
kt journal --json --port "$work/no-such-port" --result failed >"$work/failed.json"
python3 - "$work" "$serial" <<'PY' || fail "JSON/CSV output"
import csv, json, sys
work = sys.argv[1]
records = json.load(open(f"{work}/all.json"))
keys = ["time", "durationMs", "host", "operation", "port", "result", "resultCode", "programmerUid",
        "firmwareVersion", "file", "model", "codeCrc", "fileChecksum", "programLimit", "downloadLimit",
        "rollingCode", "counters", "log"]
assert all(list(r) == keys for r in records), list(records[0])
assert all(r["time"].endswith("Z") and len(r["time"]) == 24 for r in records)
assert [r["time"] for r in records] == sorted(r["time"] for r in records)
stats = [r for r in records if r["operation"] == "stats" and r["port"].startswith("sim")]
assert len(stats) == 40 and all(set(r["counters"]) == {"total", "successes"} for r in stats)
download = [r for r in records if r["operation"] == "download"][-1]
assert download["model"] == "VK1620" and download["result"] == "Passed" and download["file"].endswith(".vk")
assert isinstance(download["fileChecksum"], int) and len(download["programmerUid"]) == 24
rows = list(csv.reader(open(f"{work}/all.csv", newline="")))
flat = keys[:16] + ["countersTotal", "countersSuccesses", "log"]
assert rows[0] == flat, rows[0]
assert len(rows) == len(records) + 1
assert all(row[-1] == "\n".join(r["log"]) and row[0] == r["time"] for row, r in zip(rows[1:], records))
summary = json.load(open(f"{work}/summary.json"))
assert all(list(s) == ["model", "fileChecksum", "operations", "passed", "failed", "yield"] for s in summary)
vk = [s for s in summary if s["model"] == "VK1620"]
assert len(vk) == 1 and vk[0]["operations"] == vk[0]["passed"] + vk[0]["failed"]
assert vk[0]["yield"] == round(100 * vk[0]["passed"] / vk[0]["operations"], 2)
failed = json.load(open(f"{work}/failed.json"))
assert len(failed) == int(sys.argv[2])
assert all(r["result"] == "Failed" and r["port"].endswith("no-such-port") for r in failed)
PY

# Where the journal is: the user's data folder, KT90_JOURNAL, --journal, off.
"$ctl" --data-dir "$data" uid --sim "$work/sim1.state" >/dev/null
[ -e "$XDG_DATA_HOME/kt90/journal.sqlite" ] || fail "no journal in the user's data folder"
KT90_JOURNAL="$work/env.sqlite" "$ctl" --data-dir "$data" uid --sim "$work/sim1.state" >/dev/null
[ -e "$work/env.sqlite" ] || fail "KT90_JOURNAL not used"
KT90_JOURNAL="$work/env.sqlite" "$ctl" --data-dir "$data" --journal off uid --sim "$work/sim1.state" >/dev/null
[ "$(KT90_JOURNAL="$work/env.sqlite" "$ctl" journal --json | python3 -c 'import json,sys; print(len(json.load(sys.stdin)))')" = 1 ] ||
  fail "--journal off still wrote"
"$ctl" --journal off journal >/dev/null 2>&1
[ $? = 1 ] || fail "reading a journal that is off"

# A journal that cannot be written: the operation passes, the log says so once.
touch "$work/plain-file"
out=$("$ctl" --data-dir "$data" --journal "$work/plain-file/journal.sqlite" stats --sim "$work/sim1.state") ||
  fail "an unwritable journal failed the operation"
[ "$(grep -c 'production journal cannot be written' <<<"$out")" = 1 ] || fail "unwritable journal not logged once: $out"

[ "$failures" -eq 0 ] && echo "journal: concurrent, killed, filtered, exported and placed as expected"
[ "$failures" -eq 0 ]
