#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz/) with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for a bounded time on a copy of its seed corpus.
# Usage: scripts/fuzz.sh [seconds per target, default 20]
# Exits non-zero when a build fails or a target finds an input that crashes it or breaks one of
# its checks; the input is kept under the build folder's artifacts/ and its path printed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
build=${KESTRIN_FUZZ_BUILD_DIR:-build-fuzz}
targets=(settings_file calibration decay analysis measure_file)

# Longest input per target, in bytes: a settings file of a few keys, a field's text, one block,
# a short sound file.
declare -A max_len=([settings_file]=1024 [calibration]=128 [decay]=64 [analysis]=4400
                    [measure_file]=8192)

cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j "$(nproc)"

artifacts="$build/artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export ASAN_OPTIONS=${FUZZ_ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${FUZZ_UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for target in "${targets[@]}"; do
    corpus="$work/$target"
    mkdir -p "$corpus"
    cp tests/fuzz/corpus/"$target"/* "$corpus"/
    options=(-max_total_time="$seconds" -max_len="${max_len[$target]}" -timeout=10
             -print_final_stats=1 -artifact_prefix="$artifacts/$target-")
    if [ -f "tests/fuzz/$target.dict" ]; then
        options+=(-dict="tests/fuzz/$target.dict")
    fi
    log="$work/$target.log"
    if "$build/$target" "${options[@]}" "$corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz $target: ${runs:-?} inputs in ${seconds} s, no crash"
    else
        echo "fuzz $target: FAILED"
        grep -E "check failed|ERROR|SUMMARY|Test unit written to" "$log" | head -20 || tail -30 "$log"
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz: crashes in ${failed[*]}; inputs kept in $artifacts"
    exit 1
fi
