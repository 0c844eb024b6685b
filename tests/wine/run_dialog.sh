#!/usr/bin/env bash
# Runs the settings dialog's Win32 shell test under Wine, headless (Wine's null graphics driver:
# windows, controls and message loops work, nothing is drawn), in a Wine prefix of its own that is
# removed at the end. Wine's server is stopped through that prefix.
#   tests/wine/run_dialog.sh <wine_dialog_shell_test.exe>
# Exit status: the program's (0 when every check passed); 2 when the setup failed.
set -euo pipefail

exe=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrin-wine-dialog.XXXXXX")

cleanup() {
    local status=$?
    if [ -d "$work/prefix" ]; then
        wineserver -k 2>/dev/null || true
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT

export HOME=$work/home
mkdir -p "$HOME"
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

timeout 150 wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 2; }
timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 || exit 2
timeout 60 wineserver -w || exit 2

cd "$work"
set +e
timeout 120 wine "$exe"
status=$?
set -e
exit "$status"
