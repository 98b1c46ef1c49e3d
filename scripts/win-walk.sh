#!/usr/bin/env bash
# Walks through the Windows program as a new user does, under wine on a virtual display with the
# openbox window manager and wine's own tray, and leaves a picture of each step in docs/:
# the installer from `cpack --preset mingw` installs silently into a fresh prefix, quenzel.exe
# starts in its folder with -InhibitShutdown (a trial: no power action), the configuration screen
# names a program that does not run, Exit resets the program, the countdown shows in the window and
# the tray, and Cancel stops it. scripts/win-walk.cpp is the hand that clicks and types.
# QZ_BUILD_DIR names the mingw build folder (default: build/mingw, configured when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${QZ_BUILD_DIR:-build/mingw}
[ -f "$build/CMakeCache.txt" ] || cmake --preset mingw
cmake --build "$build" --target quenzel quenzeld -j2
(cd "$build" && cpack --config CPackConfig.cmake >/dev/null)
installer=$(ls "$build"/quenzel-*-win64.exe)

work=$(mktemp -d)
pids=()
cleanup() {
    [ -d "$work/prefix" ] && WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -Wall -Wextra -Werror -municode -static \
    -o "$work/win-walk.exe" scripts/win-walk.cpp

. scripts/wine-display.sh
start_display 80
export DISPLAY=":$display" WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

wineboot -i >/dev/null 2>&1
wineserver -w
folder='C:\Program Files\Quenzel'
wine "$installer" /S >/dev/null 2>&1
[ -f "$WINEPREFIX/drive_c/Program Files/Quenzel/quenzel.exe" ] || { echo "not installed" >&2; exit 1; }

mkdir -p "$work/take" docs
wine explorer "$folder" >/dev/null 2>&1 &
wine "$work/win-walk.exe" "Z:${work//\//\\}\\take" "$folder" >"$work/walk.log" 2>&1 &
walk=$!
take_pictures "$walk"
wait "$walk" || { tr -d '\r' <"$work/walk.log"; exit 1; }
