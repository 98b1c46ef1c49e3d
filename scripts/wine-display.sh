# Sourced by the scripts that take pictures of the Windows program under wine. The caller sets
# `work` (a temporary folder) and `pids` (the processes its cleanup ends).

# Starts a virtual display, its frame buffer a file in $work, from display number $1 up, with the
# openbox window manager; sets `display`.
start_display() {
    display=$1
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1024x768x24 -fbdir "$work" -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
    DISPLAY=":$display" openbox >/dev/null 2>&1 &
    pids+=($!)
}

# While process $1 runs, takes the pictures it asks for: a file "NAME.take" in $work/take holding
# the screen area becomes docs/NAME.
take_pictures() {
    while kill -0 "$1" 2>/dev/null; do
        for request in "$work"/take/*.take; do
            [ -e "$request" ] || continue
            name=$(basename "$request" .take)
            python3 scripts/xwd-png.py "$work/Xvfb_screen0" "docs/$name" "$(cat "$request")"
            rm -f "$request"
            echo "docs/$name"
        done
        sleep 0.1
    done
}
