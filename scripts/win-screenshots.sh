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

# A display number nobody uses, whose frame buffer is a file we can read.
display=70
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -fbdir "$work" -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
DISPLAY=":$display" openbox >/dev/null 2>&1 &
pids+=($!)

mkdir -p "$work/take" docs
# Each scene asks for its picture with a file "NAME.take" holding the screen area to take.
QZ_PICTURES="Z:${work}/take" DISPLAY=":$display" \
    tests/win/wine-gui.sh "$build/wine-gui" "$build/tests/win/win_tests.exe" >"$work/tests.log" 2>&1 &
tests=$!
pids+=($tests)
while kill -0 "$tests" 2>/dev/null; do
    for request in "$work"/take/*.take; do
        [ -e "$request" ] || continue
        name=$(basename "$request" .take)
        python3 scripts/xwd-png.py "$work/Xvfb_screen0" "docs/$name" "$(cat "$request")"
        rm -f "$request"
        echo "docs/$name"
    done
    sleep 0.2
done
wait "$tests" || { cat "$work/tests.log"; exit 1; }
