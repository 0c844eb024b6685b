#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and run the meter; with --tests, also what
# the tests, fuzzers, benchmarks and the package check need; with --windows, only what the Windows
# program's cross build needs.
# Runs apt-get as root, or through sudo for an ordinary user; does nothing when all is there.
set -euo pipefail

# Building (the meter, and the file analyser on libsndfile), and the demonstration on a virtual
# display against a private sound server.
packages=(
    cmake g++ ninja-build pkg-config
    qt6-base-dev libqt6opengl6-dev libgl-dev
    libpulse-dev pulseaudio pulseaudio-utils
    libsndfile1-dev
    fonts-liberation2
    xvfb xdotool x11-apps imagemagick openbox sox
)

case "${1:-}" in
    --tests)
        # Only for the tests: a second sound server (PipeWire is started privately by the tests,
        # never for the session), the accessibility bus, the sanitizer and fuzzing compiler, Wine
        # and the Windows cross compiler, the package tools, and libebur128 as the loudness
        # tests' and benchmarks' independent peer.
        packages+=(
            libgtest-dev libgmock-dev libbenchmark-dev libebur128-dev
            pipewire pipewire-pulse wireplumber dbus
            dbus-daemon at-spi2-core
            weston qt6-wayland
            desktop-file-utils appstream dpkg-dev lintian
            clang-14 libclang-rt-14-dev
            wine wine64 g++-mingw-w64-x86-64 mingw-w64
        )
        ;;
    --windows)
        # Only what scripts/build-windows.sh needs: CMake and the Windows cross compiler.
        packages=(cmake g++-mingw-w64-x86-64 mingw-w64)
        ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
