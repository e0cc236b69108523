#!/bin/sh
# Driver/install-driver.sh: refuses without root, installs and removes the udev rule in a
# rules folder of the test's own (udev itself is left alone), never touches a user's groups
# when told "root".
set -eu
driver=$1
fail() { echo "FAIL: $*"; exit 1; }

sh -n "$driver/install-driver.sh" || fail "syntax error"
grep -q 'GROUP="dialout"' "$driver/60-kt90.rules" || fail "the rule gives no group dialout"
grep -q 'MODE="0660"' "$driver/60-kt90.rules" || fail "the rule gives no mode 0660"
grep -q 'SYMLINK+="kt90-%n"' "$driver/60-kt90.rules" || fail "the rule makes no /dev/kt90-N"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$(id -u)" -ne 0 ]; then
  if KT90_RULES_DIR="$work/rules" sh "$driver/install-driver.sh" root >"$work/out" 2>&1; then
    fail "ran without root"
  fi
  grep -q "sudo sh" "$work/out" || fail "no sudo command shown"
  echo "not root: the refusal was checked"
  exit 0
fi

KT90_RULES_DIR="$work/rules" sh "$driver/install-driver.sh" root >"$work/out" 2>&1 || { cat "$work/out"; fail "install failed"; }
cmp -s "$driver/60-kt90.rules" "$work/rules/60-kt90.rules" || fail "the rule was not installed unchanged"
grep -q "usermod -aG dialout" "$work/out" || fail "no advice on the group dialout"
grep -q "udev is not reloaded" "$work/out" || fail "udev was reloaded for a private rules folder"
KT90_RULES_DIR="$work/rules" sh "$driver/install-driver.sh" --uninstall >"$work/out" 2>&1 || fail "uninstall failed"
[ ! -e "$work/rules/60-kt90.rules" ] || fail "the rule was not removed"
echo "install-driver.sh: installed, advised and removed"
