#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ (clang: libFuzzer, AddressSanitizer with leak
# detection, UndefinedBehaviorSanitizer) into build-fuzz and runs each for
# SECONDS seconds, as many at once as the machine has cores:
#
#   scripts/fuzz.sh SECONDS [TARGET...]
#
# A target starts from its seeds (fuzz/corpus/TARGET), the inputs that once made
# it fail (fuzz/regressions/TARGET) and what earlier runs learned
# (build-fuzz/corpus/TARGET, where new inputs go). An input that crashes, fails
# a target's check, runs over 10 s, or needs over 2 GB is kept in
# build-fuzz/findings/ and the script fails. The last lines give each target's
# executions, coverage (cov: edges, ft: features) and corpus size.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(analog_header analog_convert discrete_header discrete_convert combined_convert ascii_pair picture record_reader
           comtrade_picture check_rest)
fi

scripts/build.sh build-fuzz -DVELK_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DVELK_BUILD_TESTS=OFF \
  -DVELK_WITH_QT=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
out=build-fuzz/runs
rm -rf "$out"
mkdir -p "$out" build-fuzz/findings
# The targets lay their inputs down in here, on a memory file system where there
# is one; a target that crashes cannot clean up after itself.
if [ -d /dev/shm ]; then scratch=$(mktemp -d /dev/shm/velk-fuzz.XXXXXX); else scratch=$(mktemp -d); fi
trap 'rm -rf "$scratch"' EXIT
export VELK_FUZZ_FOLDER=$scratch

fuzz_one() {
  local target=$1
  local inputs=("build-fuzz/corpus/$target" "fuzz/corpus/$target")
  mkdir -p "build-fuzz/corpus/$target"
  if [ -d "fuzz/regressions/$target" ]; then inputs+=("fuzz/regressions/$target"); fi
  local status=0
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build-fuzz/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -malloc_limit_mb=2048 -max_len=12288 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$target-" "${inputs[@]}" \
    > "$out/$target.log" 2>&1 || status=$?
  echo "$status" > "$out/$target.status"
}

running=0
for target in "${targets[@]}"; do
  if [ "$running" -ge "$(nproc)" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  fuzz_one "$target" &
  running=$((running + 1))
done
wait

failed_count=0
printf '%-18s %12s %8s %8s %12s\n' target executions cov ft corpus
for target in "${targets[@]}"; do
  log="$out/$target.log"
  status=$(cat "$out/$target.status")
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$done_line")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$done_line")
  corpus=$(sed -n 's/.* corp: \([0-9]*\/[0-9a-zA-Z]*\).*/\1/p' <<< "$done_line")
  printf '%-18s %12s %8s %8s %12s\n' "$target" "${runs:--}" "${cov:--}" "${ft:--}" "${corpus:--}"
  if [ "$status" -ne 0 ]; then
    failed_count=$((failed_count + 1))
    echo "---- $target failed (status $status):" >&2
    grep -vE '^#[0-9]+[[:space:]]' "$log" | tail -40 >&2
  fi
done
echo "fuzz: $(( ${#targets[@]} - failed_count )) passed, $failed_count failed"
if [ "$failed_count" -ne 0 ]; then
  echo "Fuzzing found faults; the inputs are in build-fuzz/findings/." >&2
  exit 1
fi
