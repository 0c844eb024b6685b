#!/usr/bin/env bash
# Runs the meter on a virtual display (Xvfb with a window manager) against a private sound server
# whose null sink plays a demonstration signal, takes a screenshot of the meter window with its
# frame, and stops everything it started.
#   scripts/demo.sh <path to kestrin> <screenshot.png> [seconds to run before the shot]
#                   [settings-dialog screenshot.png]
set -euo pipefail
meter=$1
shot=$2
settle=${3:-4}
dialog_shot=${4:-}

work=$(mktemp -d /tmp/kestrin-demo.XXXXXX)
pids=()
cleanup() {
    # Last started, first stopped: the meter goes before its sound server and display.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, unless one is there already.
if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 120); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then break; fi
    done
    Xvfb ":$n" -screen 0 "${KESTRIN_DEMO_SCREEN:-1280x1024}x24" -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    openbox >/dev/null 2>&1 &
    pids+=($!)
fi

# A private sound server with one null sink, playing a tone whose level rises and falls.
mkdir -p "$work/runtime" "$work/home"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
pulseaudio --daemonize=no -n --exit-idle-time=-1 --disallow-exit --log-target=file:"$work/pulse.log" \
    --load="module-native-protocol-unix socket=$work/native" \
    --load="module-null-sink sink_name=kestrin_demo sink_properties=device.description=Demonstration" \
    --load=module-always-sink >/dev/null 2>&1 &
pids+=($!)
export PULSE_SERVER="unix:$work/native"
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-source kestrin_demo.monitor
pactl set-default-sink kestrin_demo

# Left and right differ a little, so the side bar has something to show.
sox -q -n -t raw -r 44100 -c 2 -b 16 -e signed-integer - \
    synth 3600 sine 440 sine 554 tremolo 0.4 60 vol 0.3 2>/dev/null |
    pacat --raw --format=s16le --channels=2 --rate=44100 --latency-msec=10 -d kestrin_demo &
pids+=($!)
sleep 1

# The meter keeps its settings beside itself; give the demonstration a copy of its own.
cp "$meter" "$work/kestrin"
"$work/kestrin" &
meter_pid=$!
pids+=($meter_pid)

wid=""
for _ in $(seq 100); do
    wid=$(xdotool search --pid "$meter_pid" --onlyvisible --name . 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
done
if [ -z "$wid" ]; then
    echo "The meter window did not appear." >&2
    exit 1
fi
sleep "$settle"
import -frame -window "$wid" "$shot"
if [ -n "$dialog_shot" ]; then
    # A right click on the meter opens its settings dialog.
    xdotool mousemove --window "$wid" 60 200 click 3
    dialog=""
    for _ in $(seq 50); do
        dialog=$(xdotool search --pid "$meter_pid" --onlyvisible --name '^Kestrin$' 2>/dev/null |
            grep -v "^$wid\$" | head -1 || true)
        [ -n "$dialog" ] && break
        sleep 0.1
    done
    if [ -n "$dialog" ]; then
        sleep 1
        import -frame -window "$dialog" "$dialog_shot"
        echo "Settings dialog: $dialog_shot"
    else
        echo "The settings dialog did not appear." >&2
    fi
fi
echo "The meter ran on a virtual display with a demonstration signal."
echo "Screenshot: $shot"
