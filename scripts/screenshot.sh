#!/usr/bin/env bash
# Draws the window offscreen over the sample records in examples/, with the
# first record of each list chosen, and saves it as docs/window.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build
mkdir -p docs
(cd examples && ../build/tests/window-screenshot ../docs/window.png)
echo "docs/window.png"
