#!/bin/sh
# The rendered help document: a PDF with the English guide first and the Chinese guide
# from a later page, the Chinese text extractable (so its glyphs were embedded), and
# every heading of the guides (GUIDE.md...) in it, so no part went missing.
set -eu
pdf=$1
shift
fail() { echo "FAIL: $*"; exit 1; }

[ -s "$pdf" ] || fail "$pdf is missing or empty"
[ "$(head -c 5 "$pdf")" = "%PDF-" ] || fail "$pdf does not start with %PDF-"
command -v pdftotext >/dev/null || fail "pdftotext (poppler-utils) is not installed"

pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
[ "${pages:-0}" -ge 2 ] || fail "only ${pages:-0} page(s)"

# The page each guide's title is on.
first_page_with() {
  p=1
  while [ "$p" -le "$pages" ]; do
    if pdftotext -enc UTF-8 -f "$p" -l "$p" "$pdf" - | grep -q "$1"; then echo "$p"; return; fi
    p=$((p + 1))
  done
  echo 0
}
en=$(first_page_with "KT90 User Guide")
zh=$(first_page_with "KT90 用户指南")
[ "$en" -eq 1 ] || fail "the English title is not on page 1 (page $en)"
[ "$zh" -gt 1 ] || fail "the Chinese title was not found after page 1"
pdftotext -enc UTF-8 -f "$zh" -l "$pages" "$pdf" - | grep -q "根据日志排除故障" || fail "the Chinese troubleshooting section is missing"
pdftotext -enc UTF-8 -l "$((zh - 1))" "$pdf" - | grep -q "Troubleshooting with the log" || fail "the English troubleshooting section is missing"
# The Latin font sets "fi" and "fl" as ligatures.
text=$(pdftotext -enc UTF-8 "$pdf" - | sed "s/ﬁ/fi/g; s/ﬂ/fl/g")
for guide in "$@"; do
  grep '^##* ' "$guide" | sed 's/^#* *//' | while IFS= read -r heading; do
    printf '%s\n' "$text" | grep -qF "$heading" || fail "heading missing from the PDF: $heading"
  done
done
pdffonts "$pdf" | grep -qi "hei\|cjk\|song\|ming" || fail "no CJK font is embedded"
echo "help.pdf: $pages pages, English from page $en, Chinese from page $zh"
