#!/usr/bin/env bash
# Installs what is missing, builds, and opens the converter's window on the
# sample records in examples/. Without a display it says what the window
# needs and converts the analog samples with velk-convert into out/ instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build

# Before the first start, the window's last-folders file names examples/ for
# both records, so that its lists and its open dialogs start there.
if [ ! -e build/cmtrd.ddt ]; then
  folder="$(pwd)/examples/"
  printf '%s\r\n%s\r\n' "$folder" "$folder" > build/cmtrd.ddt
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  cd examples
  exec ../build/velk-comtrade
fi

cat >&2 <<'TEXT'
No display: DISPLAY and WAYLAND_DISPLAY are unset, so the window cannot open.
Run ./scripts/run.sh again from a desktop session (X11 or Wayland), or over
"ssh -X". Meanwhile the analog samples are converted on the command line:
TEXT
mkdir -p out
for record in examples/*.flh; do
  name=$(basename "$record" .flh)
  build/velk-convert analog "$record" "out/$name.cfg"
  echo "$record -> out/$name.cfg, out/$name.dat, out/${name}ASCII.cfg, out/${name}ASCII.dat"
done
