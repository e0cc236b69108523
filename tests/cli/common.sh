# The shared start of the CLI test scripts (sourced): a work folder removed at the end,
# with the kt90-sim a script started as $simpid, and a failure counter.
work=$(mktemp -d)
# The journal a test does not name goes to the work folder, never to the user's own.
export XDG_DATA_HOME="$work/xdg"
cleanup() { [ -n "${simpid:-}" ] && kill "$simpid" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
