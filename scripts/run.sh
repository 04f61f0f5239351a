#!/usr/bin/env bash
# Installs what is missing, builds, and converts the sample records in examples/
# into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
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

