#!/usr/bin/env bash
# Installs what is missing, builds the meter and starts it.
#
# On a desktop with a sound server the meter simply starts. Without a display or without a sound
# server it still shows the meter working: it runs it on a virtual display against a private sound
# server that plays a demonstration signal, saves a screenshot, says where, and stops.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

build=${KESTRIN_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIN_BUILD_TESTS=OFF \
    -DKESTRIN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
meter="$root/$build/app/kestrin"

have_display() { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }
have_sound() { pactl info >/dev/null 2>&1; }

if have_display && have_sound; then
    exec "$meter"
fi

exec scripts/demo.sh "$meter" "${KESTRIN_SCREENSHOT:-$root/$build/kestrin-demo.png}"
