#!/usr/bin/env bash
# Installs what running needs, builds the two programs in build/run (configured on the first run,
# reused afterwards; tests and benchmarks are not built), prepares the working folder run/ and
# starts the program in it: the desktop program where there is a display, quenzeld where there is
# none. Arguments go to the program; "-InhibitShutdown" tries it without any power action at the
# end of a countdown.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

./scripts/install-deps.sh run
[ -f build/run/CMakeCache.txt ] || cmake --preset run
# Ninja prints each step as [done/total].
targets=(quenzeld)
if cmake --build build/run --target help | grep -q '^quenzel:'; then
    targets+=(quenzel)
fi
cmake --build --preset run --target "${targets[@]}"

# A fresh working folder holds the configuration screen's defaults. With no process to watch the
# program starts unconfigured and waits for its configuration screen (or an edit of the file).
# An existing configuration is kept; remove run/ to start over.
mkdir -p run/Data run/Log
if [ ! -f run/Data/Quenzel.ini ]; then
    created=$(LC_ALL=C date '+%d-%b-%y %H:%M:%S')
    sed "s/@CREATED@/$created/" scripts/Quenzel.ini.in >run/Data/Quenzel.ini
fi

program=build/run/console/quenzeld
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/run/gui/quenzel ]; then
    program=build/run/gui/quenzel
fi
cd run
exec "$root/$program" "$@"
