#!/usr/bin/env bash
# Measures the meter on this machine in one run and prints a table (markdown) at the end:
#   - the Google Benchmark programs: the per-buffer cost of the pipeline as a share of the
#     24.94 ms buffer period (offscreen, and flushed to a virtual X display);
#   - the running meter and Debian's pavumeter side by side on one virtual display (Xvfb with
#     openbox), metering the same source of a private PulseAudio server while a signal plays,
#     over the same window of seconds: processor time of each program and of each of its threads
#     (the scheduler's nanosecond count in /proc/PID/task/TID/schedstat), their ratio, resident
#     memory (VmRSS) and its peak (VmHWM), the X server's processor time meanwhile, and the
#     user-interface thread's time per buffer against the pipeline benchmark on that display and
#     against two bare Qt windows woken at the meter's rhythm (kestrin_qt_floor_probe), one of
#     which repaints a strip of a bar's size each time;
#   - where Wine is installed, the Windows program (built with scripts/build-windows.sh) under
#     Wine in a prefix of its own, beside the Linux program on the same source, the same way;
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
# stops by PID (the Wine prefix's programs through its own server); it touches no sound server,
# display or Wine prefix but its own.
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
    kestrin_step_probe kestrin_chunk_probe kestrin_qt_floor_probe >&2

work=$(mktemp -d /tmp/kestrin-report.XXXXXX)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    # Every program of the report's Wine prefix, and its server; no other prefix is touched.
    if [ -d "$work/wine-prefix" ]; then
        WINEPREFIX="$work/wine-prefix" wineserver -k 2>/dev/null || true
        WINEPREFIX="$work/wine-prefix" wineserver -w 2>/dev/null || true
    fi
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
# The processor time so far of every thread of the processes given: "label pid tid name ns"
# lines, from the scheduler's own count (nanoseconds, /proc/PID/task/TID/schedstat).
thread_times() {
    local label pid task
    while [ $# -gt 0 ]; do
        label=$1 pid=$2
        shift 2
        for task in /proc/"$pid"/task/*; do
            [ -r "$task/schedstat" ] || continue
            echo "$label $pid ${task##*/} $(tr ' ' '_' <"$task/comm") $(cut -d' ' -f1 "$task/schedstat")"
        done
    done
}
# Measures processes side by side over the same window of $seconds seconds:
#   side_by_side <out file> <label> <pid> [<label> <pid> ...]
# writes per thread "label tid name percent_of_a_core microseconds_per_buffer" lines, and per
# process "label total - percent microseconds" plus "label rss MiB hwm MiB" lines.
side_by_side() {
    local out=$1 t0 t1
    shift
    thread_times "$@" >"$out.before"
    t0=$(date +%s%N)
    sleep "$seconds"
    thread_times "$@" >"$out.after"
    t1=$(date +%s%N)
    awk -v wall="$((t1 - t0))" -v period="$period_us" '
        NR == FNR { before[$3] = $5; next }
        {
            ns = $5 - ($3 in before ? before[$3] : 0)
            pct = 100 * ns / wall; per = ns / 1000 / (wall / 1000 / period)
            printf "%s %s %s %.3f %.1f\n", $1, $3, $4, pct, per
            total[$1] += ns; order[$1] = ++n
        }
        END { for (l in total) printf "%s total - %.3f %.1f\n", l, 100 * total[l] / wall,
                                       total[l] / 1000 / (wall / 1000 / period) }
    ' "$out.before" "$out.after" >"$out"
    while [ $# -gt 0 ]; do
        echo "$1 memory $(awk -v r="$(status_kib "$2" VmRSS)" -v h="$(status_kib "$2" VmHWM)" \
            'BEGIN { printf "%.1f %.1f", r / 1024, h / 1024 }')" >>"$out"
        shift 2
    done
}
figure() { awk -v l="$2" -v k="$3" -v f="$4" '$1 == l && $2 == k {print $f}' "$1"; }
# The rows of one program's threads: "| label: thread name | percent | µs |".
thread_rows() {
    awk -v l="$2" -v who="$3" '$1 == l && $2 != "total" && $2 != "memory" && $4 > 0 {
        printf "| %s, thread `%s` | %.3f %% | %.1f µs |\n", who, $3, $4, $5 }' "$1"
}

start_meter() { # folder: a copy of the meter in a folder of its own, started there
    mkdir -p "$1"
    cp "$build/app/kestrin" "$1/kestrin"
    (cd "$1" && exec ./kestrin) >"$1.log" 2>&1 &
    meter=$!
    pids+=($meter)
    [ -n "$(await_window "$meter")" ] || { echo "the meter window did not appear" >&2; exit 1; }
}

say "processor and memory of the meter and pavumeter side by side (${seconds} s)"
play_signal
sleep 1
start_meter "$work/meter"
meter_ui_tid=$meter # the user-interface thread is the process's first
NO_AT_BRIDGE=1 pavumeter --record "$sink.monitor" >"$work/pavumeter.log" 2>&1 &
pavu=$!
pids+=($pavu)
[ -n "$(await_window "$pavu")" ] || { echo "the pavumeter window did not appear" >&2; exit 1; }
# The floor: bare Qt windows woken at the meter's rhythm, one repainting a strip each time.
"$build/bench/kestrin_qt_floor_probe" >"$work/floor.log" 2>&1 &
floor=$!
pids+=($floor)
"$build/bench/kestrin_qt_floor_probe" --no-repaint >"$work/floor-wake.log" 2>&1 &
floor_wake=$!
pids+=($floor_wake)
await_window "$floor" >/dev/null
await_window "$floor_wake" >/dev/null
sleep 3
side_by_side "$work/cpu-pavu.txt" kestrin "$meter" pavumeter "$pavu" xvfb "$xvfb" \
    floor "$floor" floor_wake "$floor_wake"
stop "$floor_wake"
stop "$floor"
stop "$pavu"

# The Windows program under Wine, where Wine is there: built, started in a prefix of its own on
# the same display and server, and measured beside the Linux program, which keeps running.
wine_measured=0
wine_version=
if command -v wine >/dev/null; then
    wine_version=$(wine --version)
    say "the Windows program under Wine beside the Linux program (${seconds} s)"
    scripts/build-windows.sh "$build-windows" >&2
    mkdir -p "$work/wine-meter"
    cp "$build-windows/kestrin.exe" "$work/wine-meter/"
    export WINEPREFIX="$work/wine-prefix" WINEARCH=win64 WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot -i >"$work/wineboot.log" 2>&1
    wineserver -w
    (cd "$work/wine-meter" && exec wine ./kestrin.exe) >"$work/wine-meter.log" 2>&1 &
    wine_meter=$!
    pids+=($wine_meter)
    for _ in $(seq 100); do xdotool search --onlyvisible --class kestrin.exe >/dev/null 2>&1 && break; sleep 0.1; done
    sleep 5
    # This prefix's own server: it works in a folder named after the prefix's device and inode.
    server_dir="server-$(stat -c %D "$WINEPREFIX")-$(printf %x "$(stat -c %i "$WINEPREFIX")")"
    wine_server=
    for p in $(pgrep wineserver || true); do
        [ "$(basename "$(readlink "/proc/$p/cwd")")" = "$server_dir" ] && wine_server=$p
    done
    side_by_side "$work/cpu-wine.txt" kestrin "$meter" wine "$wine_meter" \
        ${wine_server:+wineserver "$wine_server"}
    wine_measured=1
    # Its recording stream would change how the server delivers to the measurements below.
    stop "$wine_meter"
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
fi
stop "$meter"
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

cpu="$work/cpu-pavu.txt"
ui_tid=$meter_ui_tid
pipeline_x() {
    python3 -c 'import json, sys
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b["name"] == "BM_PipelineMovingBars" and b.get("run_type", "iteration") == "iteration":
        print("%.2f" % (b["cpu_time"] * {"ns": 1e-3, "us": 1.0, "ms": 1e3}[b["time_unit"]]))' \
        "$work/pipeline-x.json"
}
wine_table() {
    [ "$wine_measured" = 1 ] || return 0
    local w="$work/cpu-wine.txt"
    echo
    echo "| Side by side: the Windows program under Wine ${wine_version} and the Linux program (${seconds} s) | % of one core | Per buffer period |"
    echo "|---|---|---|"
    echo "| Linux program (Qt), all threads | $(figure "$w" kestrin total 4) % | $(figure "$w" kestrin total 5) µs |"
    echo "| Windows program under Wine, all threads of its process | $(figure "$w" wine total 4) % | $(figure "$w" wine total 5) µs |"
    if [ -n "$(figure "$w" wineserver total 4)" ]; then
        echo "| Wine's server for its prefix | $(figure "$w" wineserver total 4) % | $(figure "$w" wineserver total 5) µs |"
    fi
    thread_rows "$w" wine "Windows program"
}
period_ms=$(awk -v us="$period_us" 'BEGIN { printf "%.2f", us / 1000 }')
target_ms=$(awk -v us="$period_us" 'BEGIN { printf "%.2f", us / 1000 + 10 }')
cat <<EOF

Measured $(date -u +%Y-%m-%d) on $(nproc) cores ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')), load average $load_start at the start and $load_end at the end.

| Work of one buffer (Google Benchmark, processor time) | Per buffer | Share of the ${period_ms} ms period |
|---|---|---|
$(cat "$work/bench.md")

| Side by side on Xvfb + openbox, private PulseAudio, a tone playing (${seconds} s) | Kestrin | pavumeter |
|---|---|---|
| Processor time, % of one core | $(figure "$cpu" kestrin total 4) % | $(figure "$cpu" pavumeter total 4) % |
| Processor time per buffer period (24.94 ms) | $(figure "$cpu" kestrin total 5) µs | $(figure "$cpu" pavumeter total 5) µs |
| Ratio, Kestrin / pavumeter | $(awk -v k="$(figure "$cpu" kestrin total 4)" -v p="$(figure "$cpu" pavumeter total 4)" 'BEGIN { printf "%.2f", k / p }') | |
| Resident memory (VmRSS) | $(figure "$cpu" kestrin memory 3) MiB | $(figure "$cpu" pavumeter memory 3) MiB |
| Peak resident memory (VmHWM) | $(figure "$cpu" kestrin memory 4) MiB | $(figure "$cpu" pavumeter memory 4) MiB |

The X server (shared by both) took $(figure "$cpu" xvfb total 4) % of one core meanwhile.

| Thread (same run) | % of one core | Per buffer period |
|---|---|---|
$(thread_rows "$cpu" kestrin Kestrin)
$(thread_rows "$cpu" pavumeter pavumeter)

| User-interface thread per buffer, same run | Per buffer period |
|---|---|
| Kestrin | $(figure "$cpu" kestrin "$ui_tid" 5) µs |
| Pipeline benchmark on the same display (BM_PipelineMovingBars on Xvfb) | $(pipeline_x) µs |
| Kestrin against the benchmark | $(awk -v u="$(figure "$cpu" kestrin "$ui_tid" 5)" -v b="$(pipeline_x)" 'BEGIN { printf "%.1f", u / b }') times |
| A bare Qt window woken at the same rhythm, repainting a 10 x 20 strip | $(figure "$cpu" floor "$floor" 5) µs |
| A bare Qt window only woken at the same rhythm | $(figure "$cpu" floor_wake "$floor_wake" 5) µs |
$(wine_table)

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

Targets: Kestrin at most half of pavumeter's processor time; the meter's part of the delay under one buffer period + 10 ms ($target_ms ms).
EOF
