#!/usr/bin/env bash
# Builds and runs the benchmarks: scripts/bench.sh [velk-bench options...]
# Records and output go to a scratch folder under $TMPDIR (or /tmp), about 3 GB
# at a time with the 10-hour records; --skip-10h leaves those out. See
# docs/PERFORMANCE.md.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build
exec build/bench/velk-bench "$@"
