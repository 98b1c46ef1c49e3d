#!/bin/sh
# on-a-desktop.sh COMMAND...: runs the command on the X display of xvfb-run under the openbox
# window manager, as a user's desktop would show its windows, and QZ_DESKTOP set.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The manager has claimed the screen once it names itself on the root window.
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    tries=$((tries + 1))
    [ "$tries" -lt 100 ] || { echo "openbox did not start" >&2; kill "$wm"; exit 1; }
    sleep 0.1
done
QZ_DESKTOP=1 "$@"
status=$?
kill "$wm"
exit "$status"
