#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, in build-fuzz/ or $FUZZ_BUILD_DIR) and runs
# each one for a fixed time:
#
#   scripts/fuzz.sh [seconds-per-target [target...]]
#
# Targets: transcode query changes highlight (all by default); 60 seconds
# each by default; CI runs a short round with a fixed FUZZ_SEED, so that its
# result does not depend on chance; long rounds by hand explore at random. The
# corpus each run grows stays in the build folder for the next run; the
# seeds in fuzz/corpus/<target>/ are only read.
#
# An input that breaks an invariant, crashes, leaks, hangs or runs out of
# memory is kept as tests/reliability/regressions/<target>/<kind>-<hash>,
# which the reliability suite replays; the script then fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(transcode query changes highlight)
build=${FUZZ_BUILD_DIR:-build-fuzz}

max_len() {  # the input cap of each case (fuzz/*_case.h)
  case "$1" in
    transcode) echo 65536 ;;
    query) echo 4096 ;;
    *) echo 16384 ;;
  esac
}

CC=${FUZZ_CC:-clang-14} CXX=${FUZZ_CXX:-clang++-14} \
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVANT_FUZZ=ON \
        -DLUMIVANT_SANITIZE=address,undefined -DLUMIVANT_BUILD_TESTS=OFF \
        -DLUMIVANT_BUILD_BENCH=OFF -DLUMIVANT_BUILD_PYTHON=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/%/_fuzzer}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=()
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  log="$build/logs/$target.log"
  rm -rf "$artifacts"
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  status=0
  "$build/fuzz/${target}_fuzzer" "$corpus" "fuzz/corpus/$target" \
      -max_total_time="$seconds" -max_len="$(max_len "$target")" -timeout=25 \
      ${FUZZ_SEED:+-seed="$FUZZ_SEED"} \
      -rss_limit_mb=2560 -print_final_stats=1 -artifact_prefix="$artifacts/" \
      >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz $target: ${seconds}s, ${runs:-?} runs, exit $status"
  kept=0
  for input in "$artifacts"/*; do
    [ -f "$input" ] || continue
    mkdir -p "tests/reliability/regressions/$target"
    cp "$input" "tests/reliability/regressions/$target/$(basename "$input")"
    echo "  kept tests/reliability/regressions/$target/$(basename "$input")"
    kept=$((kept + 1))
  done
  if [ "$status" -ne 0 ] || [ "$kept" -ne 0 ]; then
    grep -m1 -E "invariant broken|ERROR: " "$log" || true
    echo "  log: $log"
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing failed: ${failed[*]}"
  exit 1
fi
