#!/usr/bin/env bash
# Builds and runs every test: the normal build (core, link, emulator, GUI, CLI), then the
# core again under AddressSanitizer and UndefinedBehaviorSanitizer, then kt90ctl for
# Windows under wine, then the Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
jobs=$(nproc)

# The factory journal's tests run against a throwaway PostgreSQL server, stopped at the end.
pg_dir=$(mktemp -d)
trap './scripts/pg-server.sh stop "$pg_dir" || true; rm -rf "$pg_dir"' EXIT
KT90_TEST_POSTGRES=$(./scripts/pg-server.sh start "$pg_dir")
export KT90_TEST_POSTGRES KT90_TEST_POSTGRES_DIR=$pg_dir

cmake --preset default
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

# kt90ctl for Windows: cross-built, tested under wine against this build's kt90-sim and
# kt90ctl, zipped.
KT90_LINUX_BIN=$PWD/build/default/bin ./scripts/windows.sh

# The Debian package from a Release build: installed, run and removed again.
./scripts/package-test.sh
echo "all tests passed"
