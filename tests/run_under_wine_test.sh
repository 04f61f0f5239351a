#!/usr/bin/env bash
# cmake/run-under-wine.sh over a stand-in for wine that behaves as a script
# of runs says: the verdict is the program's, a start Wine failed is tried
# again, and a failing program is shown once more with Wine's errors on.
#   tests/run_under_wine_test.sh SOURCE_DIR
set -uo pipefail
wrapper=$1/cmake/run-under-wine.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }

# The stand-in takes its next run from $work/plan ("out STATUS", "silent STATUS"),
# and notes the WINEDEBUG of every run in $work/runs.
cat > "$work/wine" <<'STAND_IN'
#!/usr/bin/env bash
read -r kind status < <(sed -n "$(( $(wc -l < "$WORK/runs") + 1 ))p" "$WORK/plan")
echo "$WINEDEBUG $*" >> "$WORK/runs"
[ "$WINEDEBUG" = -all ] || echo "err:wine:something Wine says" >&2
if [ "$kind" = out ]; then echo "Running main()"; echo "test output" >&2; fi
[ "$kind" = silent ] && echo "wine: could not start" >&2
exit "$status"
STAND_IN
chmod +x "$work/wine"

run() {  # run PLAN...: the wrapper's status, output and the runs it made
  printf '%s\n' "$@" > "$work/plan"
  : > "$work/runs"
  WORK=$work VELK_WINE=$work/wine VELK_WINE_PAUSE=0 "$wrapper" prog.exe --flag > "$work/out" 2> "$work/err"
  echo $? > "$work/status"
}

run "out 0"
[ "$(cat "$work/status")" = 0 ] || fail "a passing program passes"
[ "$(cat "$work/out")" = "Running main()" ] || fail "the program's output is passed on"
[ "$(cat "$work/runs")" = "-all prog.exe --flag" ] || fail "a passing program runs once"

run "silent 1" "silent 1" "out 0"
[ "$(cat "$work/status")" = 0 ] || fail "a start that Wine failed twice is tried a third time"
[ "$(wc -l < "$work/runs")" = 3 ] || fail "three starts"

run "silent 5" "silent 5" "silent 5" "silent 5"
[ "$(cat "$work/status")" = 5 ] || fail "Wine failing every start fails with its status"
[ "$(grep -c "with nothing on its standard output" "$work/err")" = 3 ] || fail "each start said"
tail -1 "$work/runs" | grep -q "^err+all prog.exe --flag$" || fail "the last run shows Wine's errors"
grep -q "err:wine:something Wine says" "$work/err" || fail "Wine's errors are shown"

run "out 1" "out 1"
[ "$(cat "$work/status")" = 1 ] || fail "a failing test fails"
[ "$(wc -l < "$work/runs")" = 2 ] || fail "a test that failed is not tried again, only shown"
grep -q "that run ended with status 1" "$work/err" || fail "the second run's status is said"
[ "$(cat "$work/out")" = "Running main()" ] || fail "the second run stays off standard output"

exit $((failures > 0))
