#!/usr/bin/env bash
# Configures and builds into the given folder: scripts/build.sh DIR [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
cmake -S . -B "$dir" -G Ninja -DVELK_WARNINGS_AS_ERRORS=ON "$@" > /dev/null
cmake --build "$dir"
