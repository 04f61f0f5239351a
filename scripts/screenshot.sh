#!/usr/bin/env bash
# Draws the window offscreen over the sample records in examples/, with the
# first record of each list chosen, and saves it as docs/window.png; then over
# a copy of them, with a record arriving in the shown folder while a record is
# chosen, as docs/window-added-record.png; the viewer over the first analog
# and discrete records, with both cursors in the fault, as docs/viewer.png, and
# over a line relay's COMTRADE record of a fault as docs/viewer-comtrade.png;
# then «Преобразовать папку…» over a copy of them and a few hundred records of
# feeder bays: the progress window a third of the way as
# docs/folder-progress.png, and the summary at the end as docs/folder-summary.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build
mkdir -p docs
(cd examples && ../build/tests/window-screenshot ../docs/window.png)
(cd examples && ../build/tests/window-screenshot --added-record ../docs/window-added-record.png)
(cd examples && ../build/tests/window-screenshot --viewer ../docs/viewer.png)
(cd examples && ../build/tests/window-screenshot --viewer-comtrade \
  ../tests/data/comtrade-samples/tshort-COMTRADE.jl/1991-ascii-sel.cfg 60 100 \
  ../docs/viewer-comtrade.png)
(cd examples && ../build/tests/window-screenshot --folder-progress ../docs/folder-progress.png)
(cd examples && ../build/tests/window-screenshot --folder-summary ../docs/folder-summary.png)
echo "docs/window.png docs/window-added-record.png docs/viewer.png docs/viewer-comtrade.png" \
  "docs/folder-progress.png docs/folder-summary.png"
