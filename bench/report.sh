#!/usr/bin/env bash
# Measures the meter on this machine in one run and prints a table (markdown) at the end:
#   - the Google Benchmark programs: the per-buffer cost of the pipeline as a share of the
#     24.94 ms buffer period (offscreen, and flushed to a virtual X display);
#   - the running meter on a virtual display (Xvfb with openbox) against a private PulseAudio
#     server while a signal plays: processor use (utime + stime from /proc over a window of
#     seconds), resident memory (VmRSS) and its peak (VmHWM), and the X server's processor use
#     meanwhile; then Debian's pavumeter the same way on the same source, side by side;
#   - the delay from a step in the played sound to the bar's change on the display, repeated;
#   - the same delay against a private PipeWire (pipewire, wireplumber and pipewire-pulse with a
#     session bus of their own, the graph at 44100 Hz), and on both servers the chunks they deliver
#     to a stream set up as the meter's: sizes, intervals, how long a buffer's last sample waits
#     for the rest of its chunk, and the delay from a buffer's completion to its notification.
#
#   bench/report.sh [seconds per processor measurement, default 30]
# Environment: KESTRIN_BENCH_BUILD_DIR (Release build folder, default build-bench),
#              KESTRIN_REPORT_STEPS (steps to time, default 20),
#              KESTRIN_REPORT_CHUNK_SECONDS (seconds per chunk measurement, default 15).
# Installs what it lacks (pavumeter too, which only this report needs). Everything it starts it
# stops by PID; it touches no sound server or display but its own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-30}
steps=${KESTRIN_REPORT_STEPS:-20}
chunk_seconds=${KESTRIN_REPORT_CHUNK_SECONDS:-15}
meter_fragment=2200 # bytes the meter asks the server to gather per chunk: half a buffer
build=${KESTRIN_BENCH_BUILD_DIR:-build-bench}
period_us=24943 # one buffer: 1100 frames at 44100 Hz
baseline=303    # the bars' bottom row: client height 341 less 38
probe_x=36      # inside bar A's column (x 32 to 41)

say() { echo "== $*" >&2; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

scripts/install-deps.sh --tests
if ! command -v pavumeter >/dev/null; then
    say "installing pavumeter"
    as_root=()
    [ "$(id -u)" -ne 0 ] && as_root=(sudo)
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq \
        --no-install-recommends pavumeter >&2
fi

load_start=$(load)
say "building (Release) in $build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIN_BUILD_TESTS=OFF \
    -DKESTRIN_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target kestrin kestrin_bench_measure kestrin_bench_pipeline \
    kestrin_step_probe kestrin_chunk_probe >&2

work=$(mktemp -d /tmp/kestrin-report.XXXXXX)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
stop() { # stops one started process by its PID and forgets it
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
    local kept=()
    for p in "${pids[@]}"; do [ "$p" != "$1" ] && kept+=("$p"); done
    pids=("${kept[@]}")
}

# A display of our own, on the first free number; -noreset keeps it up between clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb=$!
pids+=($xvfb)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1

# A private sound server with one null sink whose monitor is the default source.
mkdir -p "$work/runtime" "$work/home" "$work/config"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home" XDG_CONFIG_HOME="$work/config"
sink=kestrin_report
pulseaudio --daemonize=no -n --exit-idle-time=-1 --disallow-exit \
    --log-target=file:"$work/pulse.log" \
    --load="module-native-protocol-unix socket=$work/native" \
    --load="module-null-sink sink_name=$sink sink_properties=device.description=Report" \
    --load=module-always-sink >/dev/null 2>&1 &
pulse=$!
pids+=($pulse)
export PULSE_SERVER="unix:$work/native"
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink "$sink"
pactl set-default-source "$sink.monitor"

say "benchmarks"
"$build/bench/kestrin_bench_measure" --benchmark_format=json \
    >"$work/measure.json" 2>"$work/measure.log"
QT_QPA_PLATFORM=offscreen "$build/bench/kestrin_bench_pipeline" --benchmark_format=json \
    >"$work/pipeline-offscreen.json" 2>"$work/pipeline-offscreen.log"
QT_QPA_PLATFORM=xcb "$build/bench/kestrin_bench_pipeline" --benchmark_format=json \
    >"$work/pipeline-x.json" 2>"$work/pipeline-x.log"

# A tone whose level rises and falls, left and right a little apart, as the demonstration plays.
sox -q -n -t raw -r 44100 -c 2 -b 16 -e signed-integer "$work/signal.raw" \
    synth $((seconds + 4 * chunk_seconds + 20)) sine 440 sine 554 tremolo 0.4 60 vol 0.3
play_signal() {
    pacat --raw --format=s16le --channels=2 --rate=44100 --latency-msec=10 -d "$sink" \
        "$work/signal.raw" &
    player=$!
    pids+=($player)
}

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
status_kib() { awk -v key="$2:" '$1 == key {print $2}' "/proc/$1/status"; }
await_window() { # pid: the process's first visible window id, or nothing after 10 s
    for _ in $(seq 100); do
        local w
        w=$(xdotool search --all --pid "$1" --onlyvisible --name . 2>/dev/null | head -1 || true)
        if [ -n "$w" ]; then
            echo "$w"
            return
        fi
        sleep 0.1
    done
}
# Processor use of a process and of the X server over the window, as % of one core, then the
# process's resident and peak resident memory in MiB: "cpu xcpu rss hwm".
measure() {
    local pid=$1 hz t0 t1 p0 p1 x0 x1
    hz=$(getconf CLK_TCK)
    p0=$(ticks "$pid")
    x0=$(ticks "$xvfb")
    t0=$(date +%s.%N)
    sleep "$seconds"
    p1=$(ticks "$pid")
    x1=$(ticks "$xvfb")
    t1=$(date +%s.%N)
    awk -v p="$((p1 - p0))" -v x="$((x1 - x0))" -v hz="$hz" -v t0="$t0" -v t1="$t1" \
        -v rss="$(status_kib "$pid" VmRSS)" -v hwm="$(status_kib "$pid" VmHWM)" \
        'BEGIN { t = t1 - t0; printf "%.2f %.2f %.1f %.1f\n", 100 * p / hz / t, 100 * x / hz / t,
                 rss / 1024, hwm / 1024 }'
}

say "processor and memory of the meter (${seconds} s)"
play_signal
sleep 1
mkdir -p "$work/meter"
cp "$build/app/kestrin" "$work/meter/kestrin"
"$work/meter/kestrin" >"$work/meter.log" 2>&1 &
meter=$!
pids+=($meter)
[ -n "$(await_window "$meter")" ] || { echo "the meter window did not appear" >&2; exit 1; }
sleep 3
read -r k_cpu k_xcpu k_rss k_hwm < <(measure "$meter")
stop "$meter"
stop "$player"

say "processor and memory of pavumeter (${seconds} s)"
play_signal
sleep 1
NO_AT_BRIDGE=1 pavumeter --record "$sink.monitor" >"$work/pavumeter.log" 2>&1 &
pavu=$!
pids+=($pavu)
[ -n "$(await_window "$pavu")" ] || { echo "the pavumeter window did not appear" >&2; exit 1; }
sleep 3
read -r p_cpu p_xcpu p_rss p_hwm < <(measure "$pavu")
stop "$pavu"
stop "$player"

# The delay from a step to the bar, against the server PULSE_SERVER names; the probe's figures in
# $work/step-$1.txt.
step_delay() {
    mkdir -p "$work/step-$1"
    cp "$build/app/kestrin" "$work/step-$1/kestrin"
    # A fast decay (64 pixels a buffer) brings the bar down between steps within a few buffers.
    printf '[Input]\r\nDevice Name=\r\n[Form]\r\ndecay=64\r\nPeakHold=0\r\nleft=0\r\ntop=0\r\n' \
        >"$work/step-$1/kestrin.ini"
    "$work/step-$1/kestrin" >"$work/step-$1.log" 2>&1 &
    meter=$!
    pids+=($meter)
    wid=$(await_window "$meter")
    [ -n "$wid" ] || { echo "the meter window did not appear" >&2; exit 1; }
    sleep 2
    "$build/bench/kestrin_step_probe" "$wid" "$probe_x" $((baseline - 3)) "$sink" "$steps" 10 \
        >"$work/step-$1.txt"
    cat "$work/step-$1.txt" >&2
    stop "$meter"
}
# The chunks a stream set up as the meter's gets, with the sink idle and while a player with a
# 200 ms latency plays into it, for the meter's fragment size and for a whole buffer's:
# $work/chunks-<server>-<idle|play>-<bytes>.txt.
chunk_probes() {
    for fragment in "$meter_fragment" 4400; do
        "$build/bench/kestrin_chunk_probe" "$sink.monitor" "$chunk_seconds" "$fragment" \
            >"$work/chunks-$1-idle-$fragment.txt"
    done
    pacat --raw --format=s16le --channels=2 --rate=44100 --latency-msec=200 -d "$sink" \
        "$work/signal.raw" &
    local player=$!
    pids+=($player)
    sleep 1
    for fragment in "$meter_fragment" 4400; do
        "$build/bench/kestrin_chunk_probe" "$sink.monitor" "$chunk_seconds" "$fragment" \
            >"$work/chunks-$1-play-$fragment.txt"
    done
    stop "$player"
}

say "delay from a step in the sound to the bar ($steps steps), PulseAudio"
step_delay pulse
say "chunks delivered by PulseAudio"
chunk_probes pulse
stop "$pulse"

say "a private PipeWire"
pw="$work/pipewire"
mkdir -p "$pw/runtime" "$pw/home" "$pw/config" "$pw/state"
chmod 700 "$pw/runtime"
pw_env=(XDG_RUNTIME_DIR="$pw/runtime" HOME="$pw/home" XDG_CONFIG_HOME="$pw/config"
    XDG_STATE_HOME="$pw/state" DBUS_SESSION_BUS_ADDRESS="unix:path=$pw/runtime/bus")
# Without a session bus WirePlumber ends at once, and then no stream is ever linked.
env "${pw_env[@]}" dbus-daemon --session --nofork --nopidfile \
    --address="unix:path=$pw/runtime/bus" >"$pw/bus.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$pw/runtime/bus" ] && break; sleep 0.1; done
env "${pw_env[@]}" pipewire >"$pw/pipewire.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$pw/runtime/pipewire-0" ] && break; sleep 0.1; done
env "${pw_env[@]}" wireplumber >"$pw/wireplumber.log" 2>&1 &
pids+=($!)
env "${pw_env[@]}" pipewire-pulse >"$pw/pipewire-pulse.log" 2>&1 &
pids+=($!)
export PULSE_SERVER="unix:$pw/runtime/pulse/native"
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pipewire_version=$(pactl info | sed -n 's/^Server Name: .*on PipeWire \(.*\))$/\1/p')
# The sink's own rate is 48000 Hz; the graph at the meter's rate passes the samples unchanged.
env "${pw_env[@]}" pw-metadata -n settings 0 clock.force-rate 44100 >/dev/null
pactl load-module module-null-sink sink_name="$sink" \
    sink_properties=device.description=Report >/dev/null
pactl set-default-sink "$sink"
pactl set-default-source "$sink.monitor"
sleep 1

say "delay from a step in the sound to the bar ($steps steps), PipeWire"
step_delay pipewire
say "chunks delivered by PipeWire"
chunk_probes pipewire

step() { awk -v key="$2" '$1 == key {print $2}' "$work/step-$1.txt"; }
# chunk <server> <idle|play> <bytes> <key> <field>: a figure of a chunk measurement.
chunk() { awk -v key="$4" -v f="$5" '$1 == key {print $f}' "$work/chunks-$1-$2-$3.txt"; }
sizes() { # the commonest chunk sizes with their shares
    awk '$1 == "chunk_size" {printf "%s%s B (%s %%)", sep, $2, substr($5, 2); sep = ", "}' \
        "$work/chunks-$1-$2-$3.txt"
}
chunk_row() { # server label, server, scenario label, scenario, bytes
    echo "| $1 | $3 | $5 | $(sizes "$2" "$4" "$5") | $(chunk "$2" "$4" "$5" chunk_interval_ms 3) ms |" \
        "$(chunk "$2" "$4" "$5" last_sample_wait_ms 3) / $(chunk "$2" "$4" "$5" last_sample_wait_ms 7) ms |" \
        "$(chunk "$2" "$4" "$5" post_delay_ms 3) / $(chunk "$2" "$4" "$5" post_delay_ms 7) ms |"
}
load_end=$(load)

python3 - "$work" "$period_us" <<'EOF' >"$work/bench.md"
import json, sys
work, period = sys.argv[1], float(sys.argv[2])
def rows(name, label):
    for b in json.load(open(f"{work}/{name}.json"))["benchmarks"]:
        if b.get("run_type", "iteration") != "iteration":
            continue
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[b["time_unit"]]
        cpu = b["cpu_time"] * scale
        print(f"| {b['name']}{label} | {cpu:.2f} µs | {100 * cpu / period:.3f} % |")
rows("measure", "")
rows("pipeline-offscreen", " (offscreen)")
rows("pipeline-x", " (on Xvfb)")
EOF

period_ms=$(awk -v us="$period_us" 'BEGIN { printf "%.2f", us / 1000 }')
target_ms=$(awk -v us="$period_us" 'BEGIN { printf "%.2f", us / 1000 + 10 }')
cat <<EOF

Measured $(date -u +%Y-%m-%d) on $(nproc) cores ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')), load average $load_start at the start and $load_end at the end.

| Work of one buffer (Google Benchmark, processor time) | Per buffer | Share of the ${period_ms} ms period |
|---|---|---|
$(cat "$work/bench.md")

| Running on Xvfb + openbox, private PulseAudio, a tone playing (${seconds} s) | Kestrin | pavumeter |
|---|---|---|
| Processor use (utime + stime), % of one core | $k_cpu % | $p_cpu % |
| X server's processor use meanwhile, % of one core | $k_xcpu % | $p_xcpu % |
| Resident memory (VmRSS) | $k_rss MiB | $p_rss MiB |
| Peak resident memory (VmHWM) | $k_hwm MiB | $p_hwm MiB |

| Step in the sound to the bar's change ($steps steps) | Median | Max |
|---|---|---|
| PulseAudio: from handing the step to the server (player included) | $(step pulse delay_median_ms) ms | $(step pulse delay_max_ms) ms |
| PulseAudio: the player's own latency (\`--latency-msec=10\`) | $(step pulse latency_median_ms) ms | $(step pulse latency_max_ms) ms |
| PulseAudio: the meter's part (the first less the second) | $(step pulse meter_median_ms) ms | $(step pulse meter_max_ms) ms |
| PipeWire $pipewire_version: from handing the step to the server (player included) | $(step pipewire delay_median_ms) ms | $(step pipewire delay_max_ms) ms |
| PipeWire: the player's own latency as reported | $(step pipewire latency_median_ms) ms | $(step pipewire latency_max_ms) ms |
| PipeWire: the meter's part (the first less the second) | $(step pipewire meter_median_ms) ms | $(step pipewire meter_max_ms) ms |

| Server | Sink | Fragment asked | Chunks delivered (commonest sizes) | Mean chunk interval | Last sample's wait for its chunk, mean / max | Completion to notification, median / max |
|---|---|---|---|---|---|---|
$(chunk_row PulseAudio pulse idle idle "$meter_fragment")
$(chunk_row PulseAudio pulse idle idle 4400)
$(chunk_row PulseAudio pulse "playing (200 ms player)" play "$meter_fragment")
$(chunk_row PulseAudio pulse "playing (200 ms player)" play 4400)
$(chunk_row PipeWire pipewire idle idle "$meter_fragment")
$(chunk_row PipeWire pipewire idle idle 4400)
$(chunk_row PipeWire pipewire "playing (200 ms player)" play "$meter_fragment")
$(chunk_row PipeWire pipewire "playing (200 ms player)" play 4400)

Targets: less processor use than pavumeter; the meter's part of the delay under one buffer period + 10 ms ($target_ms ms).
EOF
