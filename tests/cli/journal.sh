#!/usr/bin/env bash
# The production journal through kt90ctl: several processes writing at once lose nothing,
# killed writers leave a sound file, the filters, --after, JSON and CSV output, the serial
# ledger, --journal/KT90_JOURNAL, and journals that cannot be written or are only read.
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
count() { kt journal --json "$@" | python3 -c 'import json,sys; print(len(json.load(sys.stdin)["records"]))'; }
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
assert db.execute("PRAGMA user_version").fetchone()[0] == 2
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
[ "$(count --since 2000-01-01T00:00+08)" = "$(count)" ] || fail "--since with a zone of whole hours"

# Collecting by id: the records after the last one seen, each once.
last=$(kt journal --json | python3 -c 'import json,sys; print(json.load(sys.stdin)["records"][-1]["id"])')
[ "$(count --after "$last")" = 0 ] || fail "records after the newest"
kt uid --sim "$work/sim1.state" >/dev/null
kt uid --sim "$work/sim2.state" >/dev/null
[ "$(count --after "$last")" = 2 ] || fail "--after misses or repeats records"
[ "$(count --after "$last" --operation uid)" = 2 ] || fail "--after with a filter"
kt journal --after "$last" | cut -f1 | python3 -c "import sys; ids = [int(l) for l in sys.stdin]; assert ids == [$last + 1, $last + 2], ids" ||
  fail "text output without its ids"
kt journal --json >"$work/all.json"
kt journal --csv >"$work/all.csv"
kt journal --summary --json >"$work/summary.json"
kt serials --json >"$work/serials-empty.json"
kt journal --json --port "$work/no-such-port" --result failed >"$work/failed.json"
python3 - "$work" "$serial" <<'PY' || fail "JSON/CSV output"
import csv, json, sys
work = sys.argv[1]
whole = json.load(open(f"{work}/all.json"))
assert list(whole) == ["ok", "records"] and whole["ok"] is True
records = whole["records"]
keys = ["id", "time", "durationMs", "host", "operation", "port", "result", "resultCode", "programmerUid",
        "firmwareVersion", "file", "model", "codeCrc", "fileChecksum", "programLimit", "downloadLimit",
        "rollingCode", "serialFirst", "serialLast", "counters", "log"]
assert all(list(r) == keys for r in records), list(records[0])
assert all(r["time"].endswith("Z") and len(r["time"]) == 24 for r in records)
assert [r["id"] for r in records] == sorted(set(r["id"] for r in records))
assert all(r["serialFirst"] is None and r["serialLast"] is None for r in records)
stats = [r for r in records if r["operation"] == "stats" and r["port"].startswith("sim")]
assert len(stats) == 40 and all(set(r["counters"]) == {"total", "successes"} for r in stats)
download = [r for r in records if r["operation"] == "download"][-1]
assert download["model"] == "VK1620" and download["result"] == "Passed" and download["file"].endswith(".vk")
assert isinstance(download["fileChecksum"], int) and len(download["programmerUid"]) == 24
rows = list(csv.reader(open(f"{work}/all.csv", newline="")))
flat = keys[:19] + ["countersTotal", "countersSuccesses", "log"]
assert rows[0] == flat, rows[0]
assert len(rows) == len(records) + 1
assert all(row[-1] == "\n".join(r["log"]) and row[0] == str(r["id"]) for row, r in zip(rows[1:], records))
summary = json.load(open(f"{work}/summary.json"))
assert list(summary) == ["ok", "summary"]
summary = summary["summary"]
assert json.load(open(f"{work}/serials-empty.json")) == {"ok": True, "series": []}
assert all(list(s) == ["model", "fileChecksum", "operations", "passed", "failed", "yield"] for s in summary)
vk = [s for s in summary if s["model"] == "VK1620"]
assert len(vk) == 1 and vk[0]["operations"] == vk[0]["passed"] + vk[0]["failed"]
assert vk[0]["yield"] == round(100 * vk[0]["passed"] / vk[0]["operations"], 2)
failed = json.load(open(f"{work}/failed.json"))["records"]
assert len(failed) == int(sys.argv[2])
assert all(r["result"] == "Failed" and r["port"].endswith("no-such-port") for r in failed)
PY

# Where the journal is: the user's data folder, KT90_JOURNAL, --journal, off.
"$ctl" --data-dir "$data" uid --sim "$work/sim1.state" >/dev/null
[ -e "$XDG_DATA_HOME/kt90/journal.sqlite" ] || fail "no journal in the user's data folder"
KT90_JOURNAL="$work/env.sqlite" "$ctl" --data-dir "$data" uid --sim "$work/sim1.state" >/dev/null
[ -e "$work/env.sqlite" ] || fail "KT90_JOURNAL not used"
KT90_JOURNAL="$work/env.sqlite" "$ctl" --data-dir "$data" --journal off uid --sim "$work/sim1.state" >/dev/null
[ "$(KT90_JOURNAL="$work/env.sqlite" "$ctl" journal --json | python3 -c 'import json,sys; print(len(json.load(sys.stdin)["records"]))')" = 1 ] ||
  fail "--journal off still wrote"

# Every failure of journal and serials is exit 1 (2 for usage) and, with --json, one object.
echo "somebody's notes" >"$work/notes.sqlite"
touch "$work/plain-file"
for c in "1|--journal off journal" "1|--journal $work/missing.sqlite journal" "1|--journal $work/notes.sqlite journal" \
  "1|--journal $work/notes.sqlite journal --summary" "1|--journal off serials" "2|journal --since yesterday" \
  "2|journal --after -3" "1|--journal postgresql://line@db.example/kt90 serials" \
  "1|--journal $work/no-such-folder/j.sqlite stats --sim $work/sim1.state" \
  "1|--journal $work/plain-file/j.sqlite stats --sim $work/sim1.state"; do
  IFS='|' read -r code args <<<"$c"
  # shellcheck disable=SC2086
  out=$("$ctl" --data-dir "$data" $args --json 2>/dev/null)
  [ $? = "$code" ] || fail "$args: exit code"
  python3 -c 'import json,sys; o = json.loads(sys.argv[1]); assert list(o) == ["ok", "error"] and not o["ok"] and o["error"]' "$out" ||
    fail "$args: $out"
  # shellcheck disable=SC2086
  "$ctl" --data-dir "$data" $args >/dev/null 2>"$work/err"
  [ -s "$work/err" ] || fail "$args: no message"
done
[ -e "$work/no-such-folder" ] && fail "a journal folder was made up"

# A record that cannot be stored is said each time; --journal-strict fails the operation.
for i in 1 2; do
  out=$("$ctl" --data-dir "$data" --journal "$work/notes.sqlite" stats --sim "$work/sim1.state") ||
    fail "an unwritable journal failed the operation"
  grep -q "record is not in the production journal" <<<"$out" || fail "loss $i not said: $out"
done
"$ctl" --data-dir "$data" --journal "$work/notes.sqlite" --journal-strict stats --sim "$work/sim1.state" >/dev/null
[ $? = 1 ] || fail "--journal-strict passed an operation without its record"

# A port name that is no UTF-8 is escaped in the output, not the end of it.
if [ "$serial" = 1 ]; then
  kt stats --port "$work/port-$(printf '\377')" >/dev/null 2>&1
  kt journal --json --result failed | python3 -c 'import json,sys; r = json.load(sys.stdin)["records"]; assert "\\xFF" in r[-1]["port"], r[-1]["port"]' ||
    fail "invalid UTF-8 in a record"
fi

# The serial ledger as scripts read it: integers, all 64 bits of an 8-byte serial.
python3 - "$journal" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
top = 2**64 - 1
signed = lambda v: v - 2**64 if v >= 2**63 else v
db.execute("INSERT INTO serial_series VALUES (1, 'VK1620', 8, '0x03F0,0x03F1,0x03F2,0x03F3,0x03F4,0x03F5,0x03F6,0x03F7', 1, 1, ?, 0, 1)", (signed(top - 9),))
db.execute("INSERT INTO serial_block VALUES (1, 1, '2024-05-01T08:00:00.000Z', 'line1', 'COM3', '4B5439300005202400000001', ?, ?, '/a.vk')", (signed(top - 9), signed(top)))
db.commit()
PY
kt serials --json >"$work/serials.json"
python3 - "$work/serials.json" <<'PY' || fail "serials --json"
import json, sys
o = json.load(open(sys.argv[1]))
assert list(o) == ["ok", "series"] and o["ok"] is True
s = o["series"][0]
assert list(s) == ["model", "length", "addresses", "step", "start", "next", "blocks"], list(s)
assert s["start"] == 2**64 - 10 and s["next"] is None and s["addresses"][0] == 0x3F0
b = s["blocks"][0]
assert list(b) == ["time", "host", "port", "programmerUid", "first", "last", "file"], list(b)
assert b["first"] == 2**64 - 10 and b["last"] == 2**64 - 1
PY
kt serials | grep -q "0xFFFFFFFFFFFFFFF6" || fail "serials as text"

# A journal in a folder nobody may write is read as it stands.
mkdir "$work/ro" && cp "$journal" "$work/ro/line.sqlite" && chmod 555 "$work/ro"
reader=(); [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null && reader=(setpriv --reuid=65534 --regid=65534 --clear-groups)
chmod 755 "$work"
before=$(count)
[ "$("${reader[@]}" "$ctl" --journal "$work/ro/line.sqlite" journal --json | python3 -c 'import json,sys; print(len(json.load(sys.stdin)["records"]))')" = "$before" ] ||
  fail "a journal in a read-only folder"
[ "$(ls "$work/ro")" = line.sqlite ] || fail "reading left files in a read-only folder"
chmod 755 "$work/ro"

[ "$failures" -eq 0 ] && echo "journal: concurrent, killed, filtered, exported and placed as expected"
[ "$failures" -eq 0 ]
