#!/usr/bin/env bash
# Installs what is missing, builds, and converts the sample records in examples/
# into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
mkdir -p out
for record in examples/*.flh; do
  name=$(basename "$record" .flh)
  build/velk-convert analog "$record" "out/$name.cfg"
  echo "$record -> out/$name.cfg, out/$name.dat, out/${name}ASCII.cfg, out/${name}ASCII.dat"
done
