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
          -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON >/dev/null
    cmake --build "$out/googletest" -j "$jobs" >/dev/null
    cmake --install "$out/googletest" >/dev/null
  fi
}

build_windows() {
  local tests=OFF
  [ "$mode" = all ] && tests=ON
  echo "== kt90ctl.exe (tests $tests)"
  cmake -S . -B "$out/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
        -DKT90_QT=OFF -DKT90_TESTS=$tests -DKT90_WERROR=ON -DKT90_SQLITE_SOURCE="$deps/sqlite" >/dev/null
  cmake --build "$out/build" -j "$jobs"
}

install_tools
prepare_deps
build_windows
echo "== Windows stage took $(( $(date +%s) - started )) s"
