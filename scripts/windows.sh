#!/usr/bin/env bash
# kt90ctl for Windows: cross-built with mingw-w64 (x86-64, static, no Qt), tested under
# wine, packed as build/windows/kt90-windows-x64.zip.
#
#   ./scripts/windows.sh            everything
#   ./scripts/windows.sh build      only kt90ctl.exe and the zip (no tests)
#
# Installs what it needs from Debian (as root, or through sudo). The Linux programs the
# end-to-end test compares with come from build/windows/linux.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/windows
deps=$out/deps
mode=${1:-all}
jobs=$(nproc)
export KT90_WINDOWS_DEPS=$deps
started=$(date +%s)

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# SQLite's amalgamation, as the npm registry serves it inside this package.
sqlite_package=better-sqlite3@12.5.0
sqlite_sha256=0a3cd0554b063c3185b9912ef7059b84455a2e411d637faa0166fef9fefa04c2

install_tools() {
  local packages=(g++-mingw-w64-x86-64-posix wine wine64 zip cmake ninja-build googletest libcli11-dev
                  nlohmann-json3-dev)
  local missing=()
  command -v npm >/dev/null || missing+=(npm)
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "== installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The header-only libraries, SQLite and GoogleTest in one prefix the toolchain file searches.
prepare_deps() {
  mkdir -p "$deps/include" "$deps/share/cmake"
  for header in CLI nlohmann; do ln -sfn "/usr/include/$header" "$deps/include/$header"; done
  for config in CLI11 nlohmann_json; do cp -r "/usr/share/cmake/$config" "$deps/share/cmake/"; done

  if [ ! -f "$deps/sqlite/sqlite3.c" ]; then
    echo "== SQLite from $sqlite_package"
    local work
    work=$(mktemp -d)
    (cd "$work" && npm pack --silent "$sqlite_package" >/dev/null 2>&1)
    local tarball
    tarball=$(ls "$work"/*.tgz)
    echo "$sqlite_sha256  $tarball" | sha256sum -c --quiet
    mkdir -p "$deps/sqlite"
    tar -xzf "$tarball" -C "$deps/sqlite" --strip-components=3 package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
    rm -rf "$work"
  fi

  if [ "$mode" = all ] && [ ! -f "$deps/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "== GoogleTest for Windows"
    cmake -S /usr/src/googletest -B "$out/googletest" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" -DCMAKE_INSTALL_PREFIX="$deps" \
          -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON >/dev/null
    cmake --build "$out/googletest" -j "$jobs" >/dev/null
    cmake --install "$out/googletest" >/dev/null
  fi
}

build_windows() {
  local tests=OFF
  [ "$mode" = all ] && tests=ON
  echo "== kt90ctl.exe (tests $tests)"
  # mingw's GCC 12 warns of memcpy bounds inside std::vector's inlined copies in the tests:
  # the known false positive of that compiler, not in our code.
  cmake -S . -B "$out/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
        -DKT90_QT=OFF -DKT90_TESTS=$tests -DKT90_WERROR=ON -DKT90_SQLITE_SOURCE="$deps/sqlite" \
        -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG -Wno-array-bounds" >/dev/null
  # No test program of an earlier build may stand in for one that no longer builds.
  rm -f "$out/build/bin"/test_*.exe
  cmake --build "$out/build" -j "$jobs" >"$out/build.log" 2>&1 || {
    grep -a -A20 "^FAILED: " "$out/build.log" | head -60
    echo "the Windows build failed (see $out/build.log)"
    exit 1
  }
}

# The Linux programs the tests compare with and serve from: kt90-sim --pty, kt90ctl.
# KT90_LINUX_BIN names a folder that has them (scripts/test.sh passes its build's).
build_linux() {
  linux_bin=${KT90_LINUX_BIN:-}
  if [ -z "$linux_bin" ] || [ ! -x "$linux_bin/kt90-sim" ] || [ ! -x "$linux_bin/kt90ctl" ]; then
    echo "== Linux kt90ctl and kt90-sim"
    cmake -S . -B "$out/linux" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKT90_QT=OFF -DKT90_TESTS=OFF >/dev/null
    cmake --build "$out/linux" -j "$jobs" --target kt90ctl kt90-sim >/dev/null
    linux_bin=$out/linux/bin
  fi
}

# A throwaway wine prefix, started once; wine's output always goes to files, never into a
# pipe that waits for its end (a lingering wineserver would hold it open).
start_wine() {
  wine=$(command -v wine || command -v wine-stable)
  wineserver_bin=$(command -v wineserver || echo /usr/lib/wine/wineserver)
  export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  rm -rf "$WINEPREFIX"
  logs=$out/logs
  rm -rf "$logs"
  mkdir -p "$logs"
  echo "== wine prefix"
  "$wine" wineboot -i >"$logs/wineboot.log" 2>&1
  # COM5 is kt90-sim's pty. Wine's mount manager makes its ports when the prefix starts,
  # so the port goes into the registry and the prefix starts again.
  "$wine" reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$pty" /f >"$logs/reg.log" 2>&1
  "$wineserver_bin" -k >/dev/null 2>&1 || true
  # One server for the whole run (stop_wine ends it): a server that exits after each program
  # can meet the next one starting, and each start costs time.
  "$wineserver_bin" -p >/dev/null 2>&1
}

# kt90-sim --pty, serving one programmer until the serial checks are done; $pty is its port.
start_sim() {
  work=$out/e2e
  rm -rf "$work"
  mkdir -p "$work"
  "$linux_bin/kt90-sim" --pty --state "$work/sim.state" >"$work/sim.out" 2>"$work/sim.err" &
  simpid=$!
  for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
  pty=$(head -1 "$work/sim.out")
}

stop_wine() {
  [ -n "${simpid:-}" ] && kill "$simpid" 2>/dev/null && wait "$simpid" 2>/dev/null
  simpid=
  [ -n "${wineserver_bin:-}" ] && WINEPREFIX=$out/wineprefix "$wineserver_bin" -k >/dev/null 2>&1 || true
}

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Every Qt-free test program under wine: each test passes or is skipped with its reason.
run_unit_tests() {
  echo "== unit tests under wine"
  local passed=0 skipped=0 failed=0 exe
  for exe in "$out/build/bin"/test_*.exe; do
    local name
    name=$(basename "$exe" .exe)
    (cd "$out/build/bin" && KT90_DATA_DIR="Z:$root/data" timeout 600 "$wine" "$exe" >"$logs/$name.log" 2>&1) ||
      fail "$name (see $logs/$name.log)"
    local p s f
    p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$logs/$name.log" | tr -d '\r')
    s=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*/\1/p' "$logs/$name.log" | tr -d '\r')
    f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$logs/$name.log" | tr -d '\r')
    passed=$((passed + ${p:-0}))
    skipped=$((skipped + ${s:-0}))
    failed=$((failed + ${f:-0}))
    echo "   $name: ${p:-0} passed, ${s:-0} skipped, ${f:-0} failed"
    tr -d '\r' <"$logs/$name.log" | grep -A1 ": Skipped$" | grep -v ": Skipped$\|^--" | sed 's/^/     skipped: /' | sort -u || true
  done
  echo "unit tests under wine: $passed passed, $failed failed, $skipped skipped"
}

# kt90ctl.exe under wine, its output in $logs/w.out and w.err; the exit code is returned.
winctl() {
  local rc=0
  timeout 180 "$wine" "$exe" "$@" >"$logs/w.out" 2>"$logs/w.err" || rc=$?
  return $rc
}

zpath() { printf 'Z:%s' "${1//\//\\}"; }

# Download, upload, stats, uid, hwtest and read through COM5, a pty of kt90-sim.
run_serial_end_to_end() {
  echo "== kt90ctl.exe over COM5 (kt90-sim --pty on $pty)"
  cp "$root/data/samples/blink_vk1620.vk" "$work/prog.vk"
  [ -e "$pty" ] || { fail "kt90-sim gave no pty: $(cat "$work/sim.err")"; return; }
  for port in COM5 '\\.\COM5'; do
    winctl download "$(zpath "$work/prog.vk")" --port "$port" || fail "download --port $port: $(cat "$logs/w.err")"
    winctl upload "$(zpath "$work/back.vk")" --port "$port" --json || fail "upload --port $port: $(cat "$logs/w.out")"
    "$linux_bin/kt90ctl" convert "$work/prog.vk" "$work/sent.bin" >/dev/null 2>&1 || true
    "$linux_bin/kt90ctl" convert "$work/back.vk" "$work/back.bin" >/dev/null 2>&1 || true
    cmp -s "$work/sent.bin" "$work/back.bin" || fail "upload over $port is not what was downloaded"
  done
  winctl stats --port COM5 --json && grep -q '"ok":true' "$logs/w.out" || fail "stats: $(cat "$logs/w.out")"
  winctl uid --port COM5 && grep -Eq '^[0-9A-F]{24}' "$logs/w.out" || fail "uid: $(cat "$logs/w.out" "$logs/w.err")"
  winctl hwtest --port COM5 --json || fail "hwtest: $(cat "$logs/w.out")"
  winctl read "$(zpath "$work/chip.hex")" --port COM5 --chip VK1620 --json || fail "read: $(cat "$logs/w.out")"
  [ -s "$work/chip.hex" ] || fail "read saved no file"
  winctl ports --json && grep -q '"port":"COM5"' "$logs/w.out" || fail "ports does not list COM5: $(cat "$logs/w.out")"
  kill "$simpid" 2>/dev/null
  wait "$simpid" 2>/dev/null || true
  simpid=

  echo "== kt90ctl.exe --sim"
  winctl download "$(zpath "$work/prog.vk")" --sim "$(zpath "$work/own.state")" || fail "download --sim: $(cat "$logs/w.err")"
  winctl upload "$(zpath "$work/back2.vk")" --sim "$(zpath "$work/own.state")" || fail "upload --sim: $(cat "$logs/w.err")"
  "$linux_bin/kt90ctl" convert "$work/back2.vk" "$work/back2.bin" >/dev/null 2>&1 || true
  cmp -s "$work/sent.bin" "$work/back2.bin" || fail "upload --sim is not what was downloaded"
  for command in stats uid hwtest; do winctl "$command" --sim "$(zpath "$work/own.state")" || fail "$command --sim"; done
  winctl read "$(zpath "$work/chip2.hex")" --sim "$(zpath "$work/own.state")" --chip VK1620 || fail "read --sim"
}

# info --json, dump and convert of every shipped sample (and one under a Chinese name) give
# what the Linux kt90ctl gives, line endings aside.
run_same_output() {
  echo "== the same output as Linux"
  local work=$out/same
  rm -rf "$work"
  mkdir -p "$work/linux" "$work/windows"
  for side in linux windows; do
    cp "$root/data/samples/"*.vk "$root/data/samples/"*.hex "$root/data/samples/"*.bin "$root/data/samples/"*.pro \
       "$work/$side/"
    cp "$work/$side/blink_vk1620.vk" "$work/$side/中文程序.vk"
  done
  local compared=0
  for file in "$work/linux"/*; do
    local name ext chip=() to=hex
    name=$(basename "$file")
    ext=${name##*.}
    case $ext in
      hex | bin) chip=(--chip "$(basename "$name" ".$ext" | sed 's/.*_//' | tr a-z A-Z)") ;;
    esac
    [ "$ext" = hex ] && to=vk
    for command in info dump convert; do
      local args=("$command" "$name")
      [ "$command" = info ] && args+=(--json)
      [ "$command" = convert ] && args+=("converted_${name%.*}.$to")
      local lrc=0 wrc=0
      (cd "$work/linux" && "$linux_bin/kt90ctl" "${args[@]}" "${chip[@]}" >"$work/linux.out" 2>/dev/null) || lrc=$?
      (cd "$work/windows" && winctl "${args[@]}" "${chip[@]}") || wrc=$?
      tr -d '\r' <"$logs/w.out" >"$work/windows.out"
      [ "$lrc" = "$wrc" ] || fail "${args[*]}: exit $lrc on Linux, $wrc on Windows: $(head -c 400 "$logs/w.err")"
      cmp -s "$work/linux.out" "$work/windows.out" || fail "${args[*]}: other output than on Linux"
      compared=$((compared + 1))
    done
  done
  # What convert wrote, and every sample a download or convert may have saved again.
  for file in "$work/linux"/*; do
    cmp -s "$file" "$work/windows/$(basename "$file")" || fail "$(basename "$file") differs from Linux's"
  done
  echo "   $compared commands and $(ls "$work/linux" | wc -l) files compared"
}

# The layout a Windows user unpacks: kt90ctl.exe beside its program directory, the guides
# (and the help document, when a Linux build rendered it) in DOC.
write_zip() {
  local stage=$out/zip/kt90-windows-x64
  rm -rf "$out/zip" "$out/kt90-windows-x64.zip"
  mkdir -p "$stage/DOC"
  cp "$out/build/bin/kt90ctl.exe" "$stage/"
  for folder in CH_DEV EN_DEV CIF Firmware DLL samples; do cp -r "$root/data/$folder" "$stage/"; done
  cp "$root/docs/guide-en.md" "$root/docs/guide-zh.md" "$root/docs/"*.png "$stage/DOC/"
  [ -f "${KT90_LINUX_BIN:-/nonexistent}/DOC/help.pdf" ] && cp "$KT90_LINUX_BIN/DOC/help.pdf" "$stage/DOC/"
  (cd "$out/zip" && zip -q -r -X "$out/kt90-windows-x64.zip" kt90-windows-x64)
  echo "== $out/kt90-windows-x64.zip: $(du -k "$out/kt90-windows-x64.zip" | cut -f1) KiB"
}

install_tools
prepare_deps
build_windows
write_zip
if [ "$mode" = all ]; then
  build_linux
  exe=$out/zip/kt90-windows-x64/kt90ctl.exe  # as unpacked: it finds its program directory beside itself
  trap stop_wine EXIT
  start_sim
  start_wine
  run_unit_tests
  run_serial_end_to_end
  run_same_output
  stop_wine
fi
echo "== Windows stage took $(( $(date +%s) - started )) s"
[ "$failures" -eq 0 ] || { echo "$failures Windows checks failed"; exit 1; }
