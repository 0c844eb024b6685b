#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# every test. Exits non-zero when any step or any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --tests

build=${KESTRIN_TEST_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIN_SANITIZE=ON
cmake --build "$build" -j "$(nproc)"

# The parsers of the settings file, the dialog's texts and the capture blocks under libFuzzer.
scripts/fuzz.sh "${KESTRIN_FUZZ_SECONDS:-20}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j 2 --timeout 300
