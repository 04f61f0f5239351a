#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in an ordinary
# build, once under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer,
# then a short run of every fuzz target (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
(cd build && ctest --output-on-failure -j"$(nproc)")

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
