#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmarks:
#   scripts/bench.sh [velk-bench options...]   (--help lists them)
# Records and output go to a scratch folder under $TMPDIR (or /tmp): up to
# about 5 GB at a time with the 10-hour records, which --skip-10h leaves out.
# The figures and how to read them: docs/PERFORMANCE.md.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
exec build/bench/velk-bench "$@"
