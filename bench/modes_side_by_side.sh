#!/usr/bin/env bash
# The running meter's processor time with the standard modes off and with all of them on: two
# copies of the Linux program metering the same source at once (so that they share whatever else
# the machine does), on a virtual display with openbox and a private PulseAudio server, while the
# demonstration's tone plays. Prints each one's share of a core, from the scheduler's count of all
# its threads, and their ratio.
#   bench/modes_side_by_side.sh [build folder, default build-release] [seconds, default 30]
#                               [display number, default 99]
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(realpath "${1:-build-release}")
seconds=${2:-30}
display=:${3:-99}
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run
pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n \
    --load="module-native-protocol-unix socket=$work/native" \
    --load="module-null-sink sink_name=modes sink_properties=device.description=Modes" \
    --load=module-always-sink >/dev/null 2>&1 &
pids+=($!)
export PULSE_SERVER="unix:$work/native"
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink modes
pactl set-default-source modes.monitor
openbox >/dev/null 2>&1 &
pids+=($!)

# The demonstration's tone, as bench/report.sh plays it.
sox -q -n -t raw -r 44100 -c 2 -b 16 -e signed-integer "$work/signal.raw" \
    synth $((seconds + 20)) sine 440 sine 554 tremolo 0.4 60 vol 0.3
pacat --raw --format=s16le --channels=2 --rate=44100 --latency-msec=10 -d modes \
    "$work/signal.raw" &
pids+=($!)

declare -A meter
for modes in off on; do
    mkdir "$work/$modes"
    cp "$build/app/kestrin" "$work/$modes/kestrin"
    if [ "$modes" = on ]; then
        printf '[Form]\r\nballistics=2\r\nTPover=1\r\nloudness=1\r\nleft=400\r\n' \
            >"$work/$modes/kestrin.ini"
    fi
    (cd "$work/$modes" && exec ./kestrin) >"$work/$modes.log" 2>&1 &
    pids+=($!)
    meter[$modes]=$!
done
sleep 4

# Nanoseconds of processor time so far, all threads of a process.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ sum += $1 } END { print sum }'; }
off0=$(cpu_ns "${meter[off]}")
on0=$(cpu_ns "${meter[on]}")
t0=$(date +%s%N)
sleep "$seconds"
off1=$(cpu_ns "${meter[off]}")
on1=$(cpu_ns "${meter[on]}")
t1=$(date +%s%N)
awk -v off=$((off1 - off0)) -v on=$((on1 - on0)) -v wall=$((t1 - t0)) -v s="$seconds" 'BEGIN {
    printf "%d s: modes off %.3f %% of a core, all modes on %.3f %%, on / off %.3f\n",
           s, 100 * off / wall, 100 * on / wall, on / off }'
