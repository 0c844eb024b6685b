#!/usr/bin/env bash
# Times kestrin-measure against ffmpeg's loudness filter (ebur128 with true peak) on the same
# programme-like audio, wall time with hyperfine, in one run, and prints a markdown table:
#   - one 10-minute stereo 48 kHz file (24-bit WAV);
#   - four such files: kestrin-measure given all four at once, against ffmpeg run on them one
#     after another and with one ffmpeg per processor core (xargs -P).
#
#   bench/measure_tool.sh [runs per command, default 5]
# Environment: KESTRIN_BENCH_BUILD_DIR (Release build folder, default build-bench).
# Installs what it lacks (ffmpeg and hyperfine, which only this benchmark needs).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
build=${KESTRIN_BENCH_BUILD_DIR:-build-bench}
minutes=10

say() { echo "== $*" >&2; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

scripts/install-deps.sh
if ! command -v ffmpeg >/dev/null || ! command -v hyperfine >/dev/null; then
    say "installing ffmpeg and hyperfine"
    as_root=()
    [ "$(id -u)" -ne 0 ] && as_root=(sudo)
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq \
        --no-install-recommends ffmpeg hyperfine >&2
fi

say "building kestrin-measure (Release) in $build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIN_BUILD_TESTS=OFF \
    -DKESTRIN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target kestrin-measure >&2
measure=$(pwd)/$build/app/measure/kestrin-measure

work=$(mktemp -d /tmp/kestrin-measure-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
say "writing ${minutes}-minute programmes in $work"
# Pink noise whose level swells and falls, each file with its own rhythm: loudness, range and
# peaks all have something to do.
for i in 1 2 3 4; do
    sox -n -r 48000 -c 2 -b 24 "$work/programme$i.wav" synth $((minutes * 60)) pinknoise \
        tremolo "0.0$((i + 2))" 70 vol 0.5 2>/dev/null
done
files=("$work"/programme{1,2,3,4}.wav)

ffmpeg_one="ffmpeg -nostdin -nostats -hide_banner -i {} -af ebur128=peak=true -f null -"
cores=$(nproc)
load_start=$(load)
say "timing, $runs runs per command"
hyperfine --style basic --warmup 1 --runs "$runs" \
    -n "kestrin-measure, 1 file" "$measure ${files[0]}" \
    -n "ffmpeg ebur128=peak=true, 1 file" "${ffmpeg_one//\{\}/${files[0]}}" \
    -n "kestrin-measure, 4 files" "$measure ${files[*]}" \
    -n "ffmpeg, 4 files one after another" \
    "for f in ${files[*]}; do ${ffmpeg_one//\{\}/\$f}; done" \
    -n "ffmpeg, 4 files, $cores at a time" \
    "printf '%s\n' ${files[*]} | xargs -P $cores -I{} $ffmpeg_one" 2>&1 | tee "$work/hyperfine.log" >&2
load_end=$(load)

# The readings of both on the first file, to show they measure the same thing.
say "readings of programme1.wav"
"$measure" "${files[0]}" >&2
ffmpeg -nostdin -nostats -hide_banner -i "${files[0]}" -af ebur128=peak=true -f null - 2>&1 |
    sed -n '/Summary:/,$p' >&2

echo
echo "kestrin-measure against ffmpeg's ebur128 filter, $(date -u +%Y-%m-%d), $cores cores," \
    "load average $load_start at the start and $load_end at the end; ${minutes}-minute stereo" \
    "48 kHz 24-bit WAV files; $runs runs after one warm-up (hyperfine):"
echo
# Wall time, and the processor time that a busy machine does not stretch.
echo "| Command | Wall time, mean ± σ | Processor time (user + system), mean |"
echo "|:---|---:|---:|"
awk 'function seconds(text, parts) {
         split(text, parts, " ")
         return parts[2] == "ms" ? parts[1] / 1000 : parts[1]
     }
     /^Benchmark [0-9]+: / { name = substr($0, index($0, ": ") + 2) }
     /Time \(mean/ {
         match($0, /[0-9.]+ m?s ± +[0-9.]+ m?s/); wall = substr($0, RSTART, RLENGTH)
         gsub(/ +/, " ", wall)
         match($0, /User: [0-9.]+ m?s/); user = seconds(substr($0, RSTART + 5, RLENGTH - 5))
         match($0, /System: [0-9.]+ m?s/); sys = seconds(substr($0, RSTART + 7, RLENGTH - 7))
         printf "| %s | %s | %.2f s |\n", name, wall, user + sys
     }' "$work/hyperfine.log"
