#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run the meter.
# Runs apt-get as root, or through sudo for an ordinary user; does nothing when all is there.
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config
    qt6-base-dev libqt6opengl6-dev libgl-dev
    libpulse-dev pulseaudio pulseaudio-utils
    pipewire pipewire-pulse wireplumber dbus
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-liberation2
    xvfb xdotool x11-apps imagemagick openbox sox
    dbus-daemon at-spi2-core
    desktop-file-utils appstream dpkg-dev
    clang-14 libclang-rt-14-dev
    wine wine64 g++-mingw-w64-x86-64 mingw-w64
)

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
