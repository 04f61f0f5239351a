#!/usr/bin/env bash
# Installs what is missing, builds, and opens the converter's window on the
# sample records in examples/. Without a display it says what the window
# needs and converts the sample records with velk-convert into out/ instead.
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
"ssh -X". Meanwhile the sample records are converted on the command line:
TEXT
mkdir -p out
for record in examples/*.flh examples/*.txt; do
  case "$record" in *.flh) kind=analog ;; *) kind=discrete ;; esac
  name=$(basename "$record")
  name=${name%.*}_$kind
  build/velk-convert "$kind" "$record" "out/$name.cfg"
  echo "$record -> out/$name.cfg, out/$name.dat, out/${name}ASCII.cfg, out/${name}ASCII.dat"
done
build/velk-convert combined examples/feeder_type60.flh examples/feeder_type60.txt out/feeder_combined.cfg
echo "examples/feeder_type60.flh + examples/feeder_type60.txt -> out/feeder_combined.cfg, ..."

