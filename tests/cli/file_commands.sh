#!/usr/bin/env bash
# kt90ctl chips/chip/info/convert/dump on the shipped data: exit codes 0/1/2, outputs, JSON keys.
set -u
ctl=$1
data=$2
. "$(dirname "$0")/common.sh"
expect_exit() {  # expected-code command...
  local want=$1; shift
  "$@" >"$work/out" 2>"$work/err"
  local got=$?
  [ "$got" -eq "$want" ] || fail "exit $got (want $want): $*  $(head -3 "$work/err")"
}
has() { grep -q -- "$1" "$work/out" || fail "output lacks '$1'"; }

expect_exit 0 "$ctl" --data-dir "$data" chips
has QD46K300T1
[ "$(wc -l <"$work/out")" -ge 6 ] || fail "chips lists fewer than six models"
expect_exit 0 "$ctl" --data-dir "$data" --lang zh chips
has VK1620
expect_exit 0 "$ctl" chips --lang zh --data-dir "$data"
has VK1620
expect_exit 0 "$ctl" --data-dir "$data" chip QD45C8K --json
for key in model bitWidth blankWord codeWords flags fileVersion options optionMask chipSignature fileChecksum calibration; do
  has "\"$key\":"
done
has '"0x2000":'
expect_exit 0 "$ctl" --data-dir "$data" --lang zh chip VK1620
has "位宽: 14"
expect_exit 1 "$ctl" --data-dir "$data" chip NO_SUCH_CHIP
expect_exit 2 "$ctl" --data-dir "$data" chip
expect_exit 2 "$ctl" --data-dir "$data" frobnicate
expect_exit 2 "$ctl" --data-dir "$data" --lang fr chips

s=$data/samples
expect_exit 0 "$ctl" --data-dir "$data" info "$s/blink_qd46k300t1_limited.vk" --json
for key in model codeWords usedWords codeCrc chipSignature fileChecksum flags fileVersion options optionMask codeRange programLimit downloadLimit hasPassword uids rollingCode calibration; do
  has "\"$key\":"
done
has '"programLimit":1000'
has '"hasPassword":true'
expect_exit 0 "$ctl" --data-dir "$data" info "$s/blink_vk1620.hex" --chip VK1620
has "Code size:0x0044"
expect_exit 0 "$ctl" --data-dir "$data" info "$s/blink_vk1620.pro"
has "Capacity: 1K"
has "Code size:0x0044"
expect_exit 1 "$ctl" --data-dir "$data" info "$work/missing.vk"
grep -q "open file" "$work/err" || fail "reader log line missing on stderr"

# convert: vk -> hex -> vk keeps the code; protection options make a scrambled file.
expect_exit 0 "$ctl" --data-dir "$data" convert "$s/blink_vk1620.vk" "$work/a.hex"
expect_exit 0 "$ctl" --data-dir "$data" convert "$work/a.hex" "$work/b.bin" --chip VK1620
expect_exit 0 "$ctl" --data-dir "$data" dump "$s/blink_vk1620.vk"
cp "$work/out" "$work/dump1"
expect_exit 0 "$ctl" --data-dir "$data" dump "$work/b.bin" --chip VK1620
cmp -s "$work/out" "$work/dump1" || fail "code changed through hex and bin"
expect_exit 0 "$ctl" --data-dir "$data" convert "$s/blink_vk1620.vk" "$work/p.vk" --program-limit 50 --download-limit 2 --password 00C0FFEE
expect_exit 0 "$ctl" --data-dir "$data" info "$work/p.vk" --json
has '"programLimit":50'
has '"downloadLimit":2'
# A password a file cannot keep is said, not dropped: on stderr, and in --json "warnings".
# Columns: output, extra options, warnings expected (y/n).
while read -r out extra warned; do
  # shellcheck disable=SC2086
  expect_exit 0 "$ctl" --data-dir "$data" convert "$s/blink_vk1620.vk" "$work/$out" --password 00C0FFEE $extra
  if [ "$warned" = y ]; then
    grep -q "password is not stored" "$work/err" || fail "$out $extra: no warning on stderr"
  else
    [ ! -s "$work/err" ] || fail "$out $extra: unexpected warning: $(cat "$work/err")"
  fi
  expect_exit 0 "$ctl" --data-dir "$data" convert "$s/blink_vk1620.vk" "$work/$out" --password 00C0FFEE $extra --json
  if [ "$warned" = y ]; then has '"warnings":\["Warning: the password is not stored'; else has '"warnings":\[\]'; fi
done <<'EOF2'
w1.vk --program-limit=0 y
w2.vk --program-limit=5 n
w3.hex --chip=VK1620 y
EOF2
expect_exit 2 "$ctl" --data-dir "$data" convert "$s/blink_vk1620.vk" "$work/q.vk" --download-limit 300
expect_exit 2 "$ctl" --data-dir "$data" convert "$s/blink_vk1620.vk" "$work/q.vk" --program-limit 4294967296
expect_exit 2 "$ctl" --data-dir "$data" convert "$s/blink_vk1620.vk" "$work/q.txt"
[ ! -e "$work/q.vk" ] || fail "a refused convert wrote a file"
expect_exit 1 "$ctl" --data-dir "$data" convert "$s/blink_vk1620.vk" "$work/no/dir/q.vk"

# A protected file (password 1234ABCD): its code and its protection need --unlock with the
# password; refused commands exit 1, say why and write nothing. Columns: --unlock value
# (- none), exit code, code words on stdout (y/n/-), command.
p=$s/blink_qd46k300t1_limited.vk
while read -r unlock want code cmd; do
  rm -f "$work"/u.*
  read -r -a words <<<"$cmd"
  opt=()
  [ "$unlock" = - ] || opt=(--unlock "$unlock")
  expect_exit "$want" "$ctl" --data-dir "$data" "${words[@]}" "${opt[@]}"
  if [ "$want" -ne 0 ]; then
    grep -q "password" "$work/err" || fail "no reason given: $cmd --unlock $unlock"
    ! compgen -G "$work/u.*" >/dev/null || fail "refused '$cmd' wrote a file"
  fi
  case $code in
    y) has "2805 3FFF" ;;
    n) ! grep -q "2805" "$work/out" || fail "'$cmd' without the password shows code words" ;;
  esac
done <<TABLE
-        1 - convert $p $work/u.hex
12345678 1 - convert $p $work/u.hex
1234abcd 0 - convert $p $work/u.hex
-        1 - convert $p $work/u.bin
-        1 - convert $p $work/u.vk --program-limit 0
-        1 - convert $p $work/u.vk --download-limit 9
-        1 - convert $p $work/u.vk --password 0
12345678 1 - convert $p $work/u.vk --program-limit 1000
1234ABCD 0 - convert $p $work/u.vk --program-limit 0
-        0 n dump $p
12345678 1 n dump $p
1234ABCD 0 y dump $p
-        0 n info $p
12345678 1 n info $p
1234ABCD 0 n info $p
TABLE
# A copy made without the password stays as protected as its source.
expect_exit 0 "$ctl" --data-dir "$data" convert "$p" "$work/copy.vk"
expect_exit 0 "$ctl" --data-dir "$data" info "$work/copy.vk" --json
has '"programLimit":1000'
has '"downloadLimit":3'
has '"hasPassword":true'
expect_exit 1 "$ctl" --data-dir "$data" convert "$work/copy.vk" "$work/copy.hex"
expect_exit 0 "$ctl" --data-dir "$data" dump "$work/copy.vk" --unlock 1234ABCD
has "2805 3FFF"
# An old-layout project file (version 1) as its description gives it: head with the chip
# name "1620" at byte 3 and option word 0 = 0x3FF4 at byte 8, 2 KB of code, the sum of the
# code bytes, the sum of the head bytes plus that sum and its own bytes, and with flag bit 5
# the 34-byte rolling-code record. The bytes gather as octal escapes in $bytes (no subshell
# per byte) and are printed at once.
byte() {
  local escape
  printf -v escape '\\%03o' $(($1 & 255))
  bytes+=$escape
}
u32() { byte "$1"; byte $(($1 >> 8)); byte $(($1 >> 16)); byte $(($1 >> 24)); }
old_file() {  # rolling(0|1)
  local head=($((0x43 | $1 * 0x20)) 1 2 49 54 50 48 0 0xF4 0x3F) i code=0 sum=0
  bytes=
  while [ ${#head[@]} -lt 32 ]; do head+=(0); done
  for b in "${head[@]}"; do byte "$b"; sum=$((sum + b)); done
  for ((i = 0; i < 2048; i++)); do byte $((i * 7 + 1)); code=$((code + ((i * 7 + 1) & 255))); done
  u32 $code
  u32 $((sum + code + (code & 255) + ((code >> 8) & 255) + ((code >> 16) & 255)))
  if [ "$1" -eq 1 ]; then for ((i = 0; i < 34; i++)); do byte $((0x40 + i)); done; fi
  # shellcheck disable=SC2059
  printf "$bytes"
}
for rolling in 0 1; do
  old_file $rolling >"$work/old$rolling.vk"
  expect_exit 0 "$ctl" --data-dir "$data" info "$work/old$rolling.vk" --json
  has '"model":"VK1620"'
  has '"codeWords":1024'
  has '"0x2000":16372'
  grep -q "Old QD version file" "$work/err" || fail "old-layout notice missing"
  ! grep -q "当前软件不支持" "$work/err" || fail "old option words taken for a chip name"
done

[ "$failures" -eq 0 ] && echo "all CLI file command checks passed"
exit "$failures"
