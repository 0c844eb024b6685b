#!/usr/bin/env bash
# Builds the Windows program, build-windows/kestrin.exe: the meter as plain Win32 windows,
# cross-compiled with MinGW-w64 and linked statically, so that the one file runs on a Windows
# machine with nothing else installed. Installs the cross compiler and CMake when they are missing
# (apt-get as root, or through sudo for an ordinary user). Checks at the end that the program
# imports no DLL but the system's own.
#   scripts/build-windows.sh [build folder, default build-windows]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-windows}

scripts/install-deps.sh --windows

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j 2

exe=$build/kestrin.exe
# The DLLs every Windows system has; anything else (a C++ runtime, a threads library) would have
# to be shipped beside the program.
allowed='^(kernel32|user32|gdi32|comdlg32|shell32|winmm|advapi32|msvcrt|ole32|comctl32)\.dll$'
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
foreign=$(echo "$imports" | tr 'A-Z' 'a-z' | grep -Ev "$allowed" || true)
if [ -n "$foreign" ]; then
    echo "$exe needs DLLs that Windows does not have:" $foreign >&2
    exit 1
fi
# The about panel's help link opens the README beside the program; the licence goes with it.
cp README.md LICENSE "$build/"
echo "Built $exe ($(stat -c %s "$exe") bytes); it imports:" $imports
