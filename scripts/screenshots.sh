#!/usr/bin/env bash
# Makes the pictures of the windows in docs/ on a virtual display: the main window monitoring,
# counting down and unconfigured, the About screen, the box at the countdown's end over the window
# (framed and stacked by the openbox window manager), and the configuration screen. The windows run
# as under "-InhibitShutdown" against fakes of the machine: nothing is watched, nothing powers off.
# QZ_BUILD_DIR names the build folder to use (default: build/default, configured when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

build=${QZ_BUILD_DIR:-build/default}
[ -f "$build/CMakeCache.txt" ] || cmake --preset default
targets=(quenzel_screenshots)
[ -f tests/gui/config/Screenshot.cpp ] && targets+=(config_screenshot)
cmake --build "$build" --target "${targets[@]}" -j2

# A display and no session bus of the user's: the pictures come out the same on every machine.
shoot() { xvfb-run -a -s "-screen 0 1024x768x24" env -u DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM=xcb "$@"; }
mkdir -p docs
shoot tests/gui/on-a-desktop.sh "$build/tests/gui/quenzel_screenshots" docs
if [[ " ${targets[*]} " == *" config_screenshot "* ]]; then
    shoot "$build/tests/gui/config/config_screenshot" docs/config-screen.png
fi
ls -l docs/*.png
