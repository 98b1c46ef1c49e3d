#!/usr/bin/env bash
# Makes the pictures of the Windows program's windows in docs/: the window tests run under wine on
# a virtual display with the openbox window manager and wine's own tray, and each scene they reach
# is taken from the display's frame buffer. The windows run against fakes: nothing powers off.
# QZ_BUILD_DIR names the mingw build folder (default: build/mingw, configured when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${QZ_BUILD_DIR:-build/mingw}
[ -f "$build/CMakeCache.txt" ] || cmake --preset mingw
cmake --build "$build" --target win_tests -j2

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

. scripts/wine-display.sh
start_display 70

mkdir -p "$work/take" docs
# Each scene asks for its picture with a file "NAME.take" holding the screen area to take.
QZ_PICTURES="Z:${work}/take" DISPLAY=":$display" \
    tests/win/wine-gui.sh "$build/wine-gui" "$build/tests/win/win_tests.exe" >"$work/tests.log" 2>&1 &
tests=$!
pids+=($tests)
take_pictures "$tests"
wait "$tests" || { cat "$work/tests.log"; exit 1; }
