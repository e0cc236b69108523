#!/usr/bin/env bash
# Every kt90ctl failure says why: on standard output or error without --json, as exactly one
# {"ok": false, "error": ...} object with it. Output stays UTF-8 whatever a file holds.
set -u
ctl=$1
data=$2
python=$3
. "$(dirname "$0")/common.sh"
cd "$work" || exit 1

printf 'not a state file\n' >damaged.state
printf ':020000040000FA\n:10000000\xff\xfe\x80junk\xc3(0528FF3F\n:00000001FF\n' >junk.hex
cp "$data/samples/blink_qd46k300t1_limited.vk" prot.vk

# Both streams decode as strict UTF-8; with --json stdout is one object, ok false, an error text.
check_output() {  # json(0/1) description
  "$python" - "$1" "$2" <<'PY' || fail "$2"
import json, sys
want_json, what = sys.argv[1] == "1", sys.argv[2]
out = open("out", "rb").read().decode("utf-8")
err = open("err", "rb").read().decode("utf-8")
if want_json:
    reply = json.loads(out)
    assert out.count("\n") == 1, "more than one line on stdout"
    assert reply["ok"] is False, "ok is not false"
    assert isinstance(reply["error"], str) and reply["error"].strip(), "no error text"
else:
    assert (out + err).strip(), "nothing said"
PY
}

# Columns: exit code (- any failure), command. Each runs plain and with --json.
while read -r want cmd; do
  read -r -a words <<<"$cmd"
  for json in 0 1; do
    extra=()
    [ "$json" -eq 1 ] && extra=(--json)
    "$ctl" --data-dir "$data" "${words[@]}" "${extra[@]}" >out 2>err
    got=$?
    if [ "$want" = - ]; then right=$((got != 0)); else right=$((got == want)); fi
    [ "$right" -eq 1 ] || fail "exit $got (want $want): $cmd ${extra[*]}"
    check_output "$json" "$cmd ${extra[*]}"
  done
done <<'TABLE'
1 chip NO_SUCH_CHIP
1 info missing.vk
1 info junk.hex --chip VK1620
1 info prot.vk --unlock 00000000
2 info prot.vk --unlock XYZ
2 stats
2 stats --sim s.state --port /dev/null
1 stats --sim damaged.state
- uid --port /dev/kt90-no-such-port
- stats --port /dev/kt90-no-such-port
2 download --sim s.state junk.hex --chip NO_SUCH_CHIP
1 download --sim s.state junk.hex --chip VK1620
1 upload --sim erased.state out.vk
2 upload --sim s.state out.txt
1 upload --sim s.state no/such/folder/out.bin
2 frobnicate
TABLE

# A damaged HEX file is named, its bytes never echoed raw; bytes that are not UTF-8 in a
# file's name come out escaped.
"$ctl" --data-dir "$data" info junk.hex --chip VK1620 >out 2>err
grep -q 'junk.hex' err && ! LC_ALL=C grep -q $'\xff' err || fail "the HEX file's refusal: $(cat err)"
"$ctl" --data-dir "$data" info "$(printf 'name\xff.vk')" --json >out 2>err
check_output 1 "a file name that is not UTF-8"

[ "$failures" -eq 0 ] && echo "all CLI failure report checks passed"
exit "$failures"
