#!/bin/sh
# The shipped file types load into a MIME database and give project and PRO files the
# types the desktop entry declares.
set -eu
tool=$1
definition=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/packages"
cp "$definition" "$work/packages/kt90.xml"
"$tool" "$work" >/dev/null 2>&1
grep -q ':application/x-kt90-project:\*\.vk' "$work/globs2"
grep -q ':application/x-kt90-pro:\*\.pro' "$work/globs2"
for type in application/x-kt90-project application/x-kt90-pro; do
  grep -q "MimeType=.*$type;" "$(dirname "$definition")/kt90.desktop"
done
