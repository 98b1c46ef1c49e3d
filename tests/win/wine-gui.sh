#!/usr/bin/env bash
# Runs a program of the Windows cross build under wine on the X display it is given, in a prefix of
# its own (the console tests' prefix runs without a display, and wine keeps one per prefix).
#   wine-gui.sh PREFIX PROGRAM.exe [ARGUMENTS...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1
shift
display=${DISPLAY:?a display is needed}
# The console tests' runner prepares the prefix (and keeps its server warm).
"$here/../../cmake/wine-run.sh" "$prefix" || exit 1
export WINEPREFIX=$(realpath -m "$prefix") WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=$display
out=$(mktemp)
trap 'rm -f "$out"' EXIT
wine "$@" >"$out" 2>&1
status=$?
tr -d '\r' <"$out"
exit $status
