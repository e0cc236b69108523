#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# fonts-wqy-microhei gives the help document its Chinese glyphs; qt6-translations-l10n
# puts Qt's own dialogs into Chinese; poppler-utils, appstream
# and desktop-file-utils check what is shipped; dpkg-dev makes the Debian package;
# postgresql gives the factory journal's tests a throwaway server (scripts/pg-server.sh).
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev python3
          libsqlite3-dev libpq-dev postgresql nlohmann-json3-dev
          qt6-base-dev qt6-serialport-dev qt6-tools-dev libgl-dev clang libclang-rt-14-dev xvfb xauth
          fonts-wqy-microhei qt6-translations-l10n poppler-utils appstream desktop-file-utils dpkg-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
