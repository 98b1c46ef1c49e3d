#!/usr/bin/env bash
# Runs a program of the Windows cross build under wine, headless, in the build's own wine prefix.
#   wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]   runs the program (an exported WINEPREFIX wins)
#   wine-run.sh PREFIX                              only makes sure the prefix is initialised
set -uo pipefail

# Wine wants an absolute prefix.
WINEPREFIX=$(realpath -m "${WINEPREFIX:-$1}")
export WINEPREFIX
shift
export WINEDEBUG=-all
# No Mono or Gecko installers: they would ask for a download.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

# A new prefix is ready once wineboot's server has ended (it writes the registry then); a mark of
# our own records that. Two tests may start at once on a new prefix: one initialises it, the other
# waits. The server that follows is started below with a persistence of its own.
ready="$WINEPREFIX/.initialised"
if [ ! -f "$ready" ]; then
    mkdir -p "$WINEPREFIX"
    flock "$WINEPREFIX.lock" bash -c '[ -f "$1" ] || { wineboot -i && wineserver -w && touch "$1"; }' init "$ready" \
        </dev/null >/dev/null 2>&1
fi
# Keep wine's server (and with it its background services) warm between the many short test runs;
# it ends by itself a minute after the last one.
wineserver -p60 </dev/null >/dev/null 2>&1 || true

(($#)) || exit 0

# Wine's background services inherit standard output and error; handing them the caller's pipes
# would keep those open after the program ends (a test discovery would wait for ever). So the
# program writes to files, copied to the caller afterwards without the Windows line ends.
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
wine "$@" >"$out" 2>"$err"
status=$?
if ((status != 0)) && [ ! -s "$out" ] && [ ! -s "$err" ]; then
    echo "wine-run: wine ended with status $status before $1 said anything" >&2
fi
tr -d '\r' <"$out"
tr -d '\r' <"$err" >&2
exit $status
