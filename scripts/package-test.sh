#!/usr/bin/env bash
# Builds the Debian package from a Release build, installs it with apt-get as a user would,
# runs the installed programs and removes the package again. The build folder is
# build/package unless KT90_PACKAGE_BUILD_DIR names another; it is kept for the next run.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=${KT90_PACKAGE_BUILD_DIR:-build/package}
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

echo "== Release build and package in $build"
# The package needs only the programs and the help document: installing must not wait
# for every test program to build.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKT90_QT=ON -DKT90_TESTS=OFF -DKT90_WERROR=ON \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target kt90 kt90ctl kt90-sim kt90_help
rm -f "$build"/kt90_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/kt90_*.deb)
echo "== $(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"

work=$(mktemp -d)
chmod 0755 "$work"
cleanup() {
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq kt90 >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
# Without the recommended font and udev: the test needs nothing from outside.
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$(realpath "$deb")" >/dev/null

passed=0
check() {
  local what=$1
  shift
  if "$@" >"$work/out" 2>&1; then
    echo "ok: $what"
    passed=$((passed + 1))
  else
    echo "FAILED: $what"
    cat "$work/out"
    exit 1
  fi
}
contains() { grep -q -- "$1" "$work/out" || { echo "FAILED: output lacks $1"; cat "$work/out"; exit 1; }; }

check "kt90ctl chips" /usr/bin/kt90ctl chips
contains QD46K300T1
check "kt90ctl chip QD46K300T1 --json" /usr/bin/kt90ctl chip QD46K300T1 --json
contains '"model":"QD46K300T1"'
# A download saves the project file again next to its source: use a copy.
cp /usr/share/kt90/samples/blink_vk1620.vk "$work/"
check "download of a sample into the emulated programmer" \
  /usr/bin/kt90ctl download "$work/blink_vk1620.vk" --sim "$work/state.json"
check "upload back" /usr/bin/kt90ctl upload "$work/back.vk" --sim "$work/state.json" --json
contains '"ok":true'
check "the uploaded project file" test -s "$work/back.vk"
check "kt90 --help" /usr/bin/kt90 --help
contains --emulator
check "kt90-sim --help" /usr/bin/kt90-sim --help
check "the help document" test -s /usr/share/kt90/DOC/help.pdf
check "the driver set-up" test -x /usr/share/kt90/Driver/install-driver.sh
check "desktop entry" desktop-file-validate /usr/share/applications/kt90.desktop
check "AppStream metainfo" appstreamcli validate --no-net /usr/share/metainfo/org.kt90tools.kt90.metainfo.xml
check "icon" test -s /usr/share/icons/hicolor/256x256/apps/kt90.png
check "the file types" test -s /usr/share/mime/packages/kt90.xml

# An ordinary user cannot write /usr/share/kt90: HwTest.ini comes from the user's folder,
# and the log says so.
home="$work/home"
mkdir -p "$home/.local/share/kt90"
printf '[HwTest]\r\nFlag=0x10\r\n' >"$home/.local/share/kt90/HwTest.ini"
$SUDO chown -R nobody "$home"
cp "$work/state.json" "$home/state.json"
$SUDO chown nobody "$home/state.json"
check "HwTest.ini from the user's folder" \
  $SUDO setpriv --reuid=nobody --regid=nogroup --clear-groups env -u XDG_DATA_HOME HOME="$home" \
  /usr/bin/kt90ctl hwtest --sim "$home/state.json"
contains "the program folder is not writable, the file used is $home/.local/share/kt90/HwTest.ini"

$SUDO env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq kt90 >/dev/null
check "removed" test ! -e /usr/bin/kt90ctl
echo "package: $passed passed, 0 failed"
