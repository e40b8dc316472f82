#!/usr/bin/env bash
# Builds the test suites with sanitizers and runs them; any report fails.
#   address,undefined (leak checking on): every suite;
#   thread: the suites that run the library on several threads at once;
#   then a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

build_suites() {  # dir sanitizer
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVANT_SANITIZE="$2" \
        -DLUMIVANT_BUILD_BENCH=OFF -DLUMIVANT_BUILD_PYTHON=OFF >/dev/null
  cmake --build "$1" -j "$jobs"
}

build_suites build-asan address,undefined
# The parse5 oracle drives the tool thousands of times: the plain build runs
# it; under the sanitizers it would only add minutes.
ctest --test-dir build-asan --output-on-failure -j "$jobs" -E '^oracle$'

build_suites build-tsan thread
ctest --test-dir build-tsan --output-on-failure -j "$jobs" -R 'Thread'

# A short run of every fuzz target (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer); longer runs by hand: scripts/fuzz.sh 600.
FUZZ_SEED=1 scripts/fuzz.sh 15
