#!/usr/bin/env bash
# The --json contract of every command but the journal's, and every failure says why: with
# --json standard output is exactly one JSON object with "ok" (true on success; on any
# failure, wrong usage included, false with an "error" text); without it a failure is said
# on standard output or error. Output stays UTF-8 whatever a file holds.
set -u
ctl=$1
data=$2
python=$3
. "$(dirname "$0")/common.sh"
cd "$work" || exit 1

printf 'not a state file\n' >damaged.state
printf ':020000040000FA\n:10000000\xff\xfe\x80junk\xc3(0528FF3F\n:00000001FF\n' >junk.hex
cp "$data/samples/blink_qd46k300t1_limited.vk" prot.vk
cp "$data/samples/blink_vk1620.vk" good.vk

# Every run's streams are kept as out.N/err.N and listed in "runs" (N, json 0/1, exit,
# description); one check reads them all at the end.
runs=0
run() {  # json(0/1) description args...
  local json=$1 what=$2
  shift 2
  runs=$((runs + 1))
  "$ctl" --data-dir "$data" "$@" >"out.$runs" 2>"err.$runs" </dev/null
  got=$?
  printf '%s\t%s\t%s\t%s\n' "$runs" "$json" "$got" "$what" >>runs
}

# Columns: exit code (- any failure, ? any: ports need a build with serial ports), command.
# Each runs plain and with --json, in order (the emulated programmers' state carries from
# row to row).
while read -r want cmd; do
  read -r -a words <<<"$cmd"
  for json in 0 1; do
    extra=()
    [ "$json" -eq 1 ] && extra=(--json)
    run "$json" "$cmd ${extra[*]}" "${words[@]}" "${extra[@]}"
    case $want in -) right=$((got != 0)) ;; \?) right=1 ;; *) right=$((got == want)) ;; esac
    [ "$right" -eq 1 ] || fail "exit $got (want $want): $cmd ${extra[*]}"
  done
done <<'TABLE'
0 chips
0 chip QD45C8K
0 info good.vk
0 convert good.vk out.hex
0 dump good.vk
0 dump prot.vk
? ports
0 stats --sim s.state
0 uid --sim s.state
0 hwtest --sim s.state
0 download good.vk --sim s.state
0 upload up.vk --sim s.state
0 read --sim s.state --chip VK1620 chip.hex
1 update-firmware --sim s.state
0 update-firmware --sim s.state --allow-downgrade
2 --lang fr chips
1 chip NO_SUCH_CHIP
2 info
2 info good.vk --no-such-option
1 info missing.vk
1 info junk.hex --chip VK1620
1 info prot.vk --unlock 00000000
2 info prot.vk --unlock XYZ
2 convert good.vk q.vk --download-limit 300
1 convert good.vk no/such/folder/q.vk
2 dump --chip VK1620
2 stats
2 stats --sim s.state --port /dev/null
1 stats --sim damaged.state
- uid --port /dev/kt90-no-such-port
- stats --port /dev/kt90-no-such-port
2 download missing.vk --sim s.state
2 download --sim s.state junk.hex --chip NO_SUCH_CHIP
1 download --sim s.state junk.hex --chip VK1620
2 download good.vk --sim s.state --sim ./s.state
1 upload --sim erased.state out.vk
2 upload --sim s.state out.txt
1 upload --sim s.state no/such/folder/out.bin
2 update-firmware --sim s.state --allow-downgrade=maybe
2 frobnicate
TABLE

# A damaged HEX file is named, its bytes never echoed raw; bytes that are not UTF-8 in a
# file's name come out escaped.
run 0 "a damaged HEX file" info junk.hex --chip VK1620
grep -q 'junk.hex' "err.$runs" && ! LC_ALL=C grep -q $'\xff' "err.$runs" || fail "the HEX file's refusal: $(cat "err.$runs")"
run 1 "a file name that is not UTF-8" info "$(printf 'name\xff.vk')" --json

# Both streams decode as strict UTF-8; with --json stdout is one object whose "ok" is whether
# the command succeeded, with an error text when it did not; a plain failure says why.
"$python" - <<'PY' || failures=$((failures + 1))
import json
bad = 0
for line in open("runs", encoding="utf-8", errors="replace"):
    n, want_json, code, what = line.rstrip("\n").split("\t", 3)
    code = int(code)
    try:
        out = open("out." + n, "rb").read().decode("utf-8")
        err = open("err." + n, "rb").read().decode("utf-8")
        if want_json == "1":
            assert out.count("\n") == 1, "not one line on stdout"
            reply = json.loads(out)
            assert isinstance(reply, dict) and list(reply)[0] == "ok", "no leading ok"
            assert reply["ok"] is (code == 0), "ok is not %s" % (code == 0)
            if code != 0:
                assert isinstance(reply["error"], str) and reply["error"].strip(), "no error text"
        elif code != 0:
            assert (out + err).strip(), "nothing said"
    except Exception as e:
        print("FAIL: %s: %s" % (what, e))
        bad += 1
raise SystemExit(bad != 0)
PY

[ "$failures" -eq 0 ] && echo "all CLI failure report checks passed"
exit "$failures"
