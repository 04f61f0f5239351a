#!/usr/bin/env bash
# Converts the same records with the Linux velk-convert and with velk-convert.exe
# under Wine, and fails unless every file written, every exit status and every
# message agree (the Windows program's messages end their lines with CR LF).
# The records: examples/, and records of every device type made by make-records.
#
#   scripts/compare-windows.sh [LINUX_BUILD] [WINDOWS_BUILD]   (build, build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
linux=$(cd "${1:-build}" && pwd)
windows=$(cd "${2:-build-windows}" && pwd)
export WINEPREFIX=$windows/wine-prefix WINEDEBUG=-all

work=$(mktemp -d)
trap 'wineserver -k 2> /dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/records" "$work/linux" "$work/windows"
cp examples/* "$work/records/"
"$linux/tools/make-records" "$work/records"
cp "$windows/velk-convert.exe" "$work/"
wineserver -p 2> /dev/null || true  # one Wine server for every run

# One conversion by both programs: CMD ARGS... with OUT.cfg as the last
# argument, relative to the folder of the records; the outputs go to linux/
# and windows/, the status and messages to a line of each one's log.
convert() {
  local args=("$@")
  local last=$((${#args[@]} - 1))
  local out=${args[$last]}
  args[last]=linux/$out
  local status=0
  "$linux/velk-convert" "${args[@]}" 2> "$work/err" || status=$?
  echo "$* -> $status $(cat "$work/err")" >> "$work/linux.log"
  args[last]=windows/$out
  status=0
  wine velk-convert.exe "${args[@]}" 2> "$work/err" || status=$?
  echo "$* -> $status $(tr -d '\r' < "$work/err")" >> "$work/windows.log"
}

cd "$work"
count=0
for record in records/*.flh; do
  name=$(basename "$record" .flh)
  convert analog "$record" "$name.cfg"
  convert combined "$record" records/events.txt "${name}_uni.cfg"
  count=$((count + 2))
done
for record in records/*.txt; do
  convert discrete "$record" "$(basename "$record" .txt)_dis.cfg"
  count=$((count + 1))
done
convert combined records/feeder_type60.flh records/feeder_type60.txt feeder_uni.cfg
count=$((count + 1))

status=0
diff linux.log windows.log || status=1
diff -r linux windows || status=1
files=$(find linux -type f | wc -l)
converted=$(grep -c -- '-> 0 $' linux.log || true)
if [ "$status" -ne 0 ]; then
  echo "compare-windows: velk-convert.exe under Wine differs from the Linux build" >&2
  exit 1
fi
echo "compare-windows: $count conversions ($converted converted, the rest refused alike)," \
  "$files files, identical byte for byte"
