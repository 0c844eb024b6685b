#!/usr/bin/env bash
# Runs the Windows capture test program under Wine, headless, against a private PulseAudio server
# whose two null sinks are fed exact sample patterns. Everything it starts is stopped by its PID
# (Wine's server through its own prefix), and its folder is removed at the end.
#   tests/wine/run.sh <wine_capture_test.exe>
# Exit status: the program's (0 when every check passed); 2 when the setup failed.
set -euo pipefail

exe=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrin-wine.XXXXXX")
pulse_pid=
player_pids=()

log() { echo "wine test: $*"; }

cleanup() {
    local status=$?
    for pid in "${player_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    if [ -d "$work/prefix" ]; then
        wineserver -k 2>/dev/null || true
    fi
    if [ -n "$pulse_pid" ]; then
        kill "$pulse_pid" 2>/dev/null || true
        for _ in $(seq 30); do kill -0 "$pulse_pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pulse_pid" 2>/dev/null || true
        wait "$pulse_pid" 2>/dev/null || true
    fi
    for pid in "${player_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT

fail_setup() {
    log "$1"
    [ -f "$work/pulse.log" ] && tail -20 "$work/pulse.log"
    exit 2
}

# The sound server and every client (Wine's PulseAudio driver included) live in this folder.
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$work/pulse"
chmod 700 "$XDG_RUNTIME_DIR"
export PULSE_SERVER=unix:$work/pulse/native PULSE_COOKIE=$work/pulse/cookie
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

sinks=(kestrin_wine_a kestrin_wine_b)
descriptions=("Kestrin Wine A" "Kestrin Wine B")
streams=(A B)
pattern_seconds=60

args=(--daemonize=no -n --exit-idle-time=-1 --disallow-exit --log-target=stderr
      "--load=module-native-protocol-unix auth-anonymous=1 socket=$work/pulse/native")
for i in 0 1; do
    args+=("--load=module-null-sink sink_name=${sinks[i]} sink_properties='device.description=\"${descriptions[i]}\"'")
done
args+=(--load=module-always-sink)
pulseaudio "${args[@]}" >"$work/pulse.log" 2>&1 &
pulse_pid=$!

start=$(date +%s)
log "preparing a Wine prefix"
timeout 150 wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; fail_setup "wineboot failed"; }
timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 ||
    fail_setup "the registry could not be set"
timeout 60 wineserver -w || fail_setup "Wine's server did not settle"
log "prefix ready after $(($(date +%s) - start)) s"

for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    kill -0 "$pulse_pid" 2>/dev/null || fail_setup "the sound server ended at start"
    sleep 0.1
done
pactl info >/dev/null 2>&1 || fail_setup "the sound server does not answer"

cd "$work"
for i in 0 1; do
    timeout 60 wine "$exe" --pattern "${streams[i]}" "$pattern_seconds" "stream_${streams[i]}.raw" ||
        fail_setup "the sample pattern could not be written"
    # A player with little buffered falls behind when both cores are busy, and the sound server
    # then skips what it played late: sound lost before the recorder ever sees it.
    pacat --playback -d "${sinks[i]}" --format=s16le --rate=44100 --channels=2 --raw \
        --volume=65536 --latency-msec=200 "stream_${streams[i]}.raw" &
    player_pids+=($!)
done
# An idle null sink takes up to 2 s to deliver its first sound to a recorder.
sleep 2.5

log "running $(basename "$exe")"
set +e
timeout 120 wine "$exe" "Monitor of ${descriptions[0]}" "Monitor of ${descriptions[1]}"
status=$?
set -e
log "done after $(($(date +%s) - start)) s, exit status $status"
exit "$status"
