#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in an ordinary
# build, once for Windows under Wine (with a comparison of the two builds'
# conversions), once under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer, then a short run of every fuzz target (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
(cd build && ctest --output-on-failure -j"$(nproc)")

# Windows: the programs and the suite cross-built with MinGW-w64, the suite run
# under Wine (in a prefix of the build folder's own), the outputs of
# velk-convert.exe compared with the Linux build's, and the window's own test.
# One Wine server, in a prefix made whole before, serves the whole suite, so
# that no test meets Wine starting up; a test that fails shows Wine's errors
# (cmake/run-under-wine.sh).
windows_start=$(date +%s)
scripts/build-windows.sh build-windows
export WINEPREFIX=$PWD/build-windows/wine-prefix WINEDEBUG=-all
scripts/wine-ready.sh --serve
trap 'wineserver -k 2> /dev/null || true' EXIT
(cd build-windows && ctest --output-on-failure -j"$(nproc)")
scripts/compare-windows.sh build build-windows
if [ -x scripts/test-windows-window.sh ]; then
  scripts/test-windows-window.sh build-windows
fi
if [ -x scripts/test-installer.sh ]; then
  scripts/test-installer.sh build build-windows
fi
wineserver -k 2> /dev/null || true
trap - EXIT
unset WINEPREFIX WINEDEBUG
echo "The Windows part took $(($(date +%s) - windows_start)) s."

# The sanitizer pass. Every report fails it, also one from a velk-convert that a
# test runs and whose error output or exit status the test might not look at:
# reports of AddressSanitizer and LeakSanitizer go to files in a folder that is
# checked afterwards (writable by all: some tests run velk-convert as another
# user), and every sanitizer exits with a status that no test expects.
scripts/build.sh build-sanitize -DVELK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
chmod 1777 "$reports"
status=0
(cd build-sanitize &&
  ASAN_OPTIONS="detect_leaks=1:exitcode=86:log_path=$reports/asan" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:exitcode=86" \
  ctest --output-on-failure -j"$(nproc)") || status=$?
if compgen -G "$reports/*" > /dev/null; then
  cat "$reports"/*
  echo "The sanitizers reported the faults above." >&2
  exit 1
fi
[ "$status" -eq 0 ] || exit "$status"

# A short run of every fuzz target; scripts/fuzz.sh SECONDS runs them longer.
scripts/fuzz.sh 20
