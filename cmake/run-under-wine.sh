#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, as ctest runs the tests and
# CMake lists them:
#
#   WINEPREFIX=PREFIX cmake/run-under-wine.sh PROGRAM.exe [ARGS...]
#
# Wine's own messages stay off (WINEDEBUG=-all), so they never mix with what the
# program prints and a test compares. Two things make the verdict the
# program's rather than Wine's:
# - Wine can fail before the program starts (a prefix still being made by
#   another Wine, a wineserver going down just as the program connects): then
#   the program's standard output stays empty, which a test program's never
#   does, since GoogleTest's main speaks first. Such a start is tried again,
#   three times in all, a second apart; what Wine said of each is kept and
#   shown with the last.
# - A program that fails is run once more with Wine's errors on
#   (WINEDEBUG=err+all) after its own output, so a red test always has
#   something to read. The exit status is the first run's.
# VELK_WINE names the wine program (default: wine on the PATH), VELK_WINE_PAUSE
# the seconds between two starts (default 1).
set -uo pipefail
[ $# -ge 1 ] || { echo "usage: run-under-wine.sh PROGRAM.exe [ARGS...]" >&2; exit 64; }
wine=${VELK_WINE:-wine}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

status=0
for attempt in 1 2 3; do
  WINEDEBUG=-all "$wine" "$@" > "$scratch/out" 2> "$scratch/err"
  status=$?
  if [ "$status" -eq 0 ] || [ -s "$scratch/out" ]; then
    break
  fi
  {
    echo "run-under-wine: $1 ended with status $status with nothing on its standard output" \
         "(start $attempt of 3); Wine said:"
    cat "$scratch/err"
  } >> "$scratch/starts"
  sleep "${VELK_WINE_PAUSE:-1}"
done
if [ -s "$scratch/starts" ] && [ "$status" -ne 0 ]; then
  cat "$scratch/starts" >&2
fi
cat "$scratch/out"
cat "$scratch/err" >&2

if [ "$status" -ne 0 ]; then
  {
    echo "run-under-wine: $1 failed with status $status; once more with Wine's errors" \
         "shown (WINEDEBUG=err+all):"
    WINEDEBUG=err+all "$wine" "$@" 2>&1
    echo "run-under-wine: that run ended with status $?"
  } >&2
fi
exit "$status"
