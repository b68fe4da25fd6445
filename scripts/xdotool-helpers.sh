# Sourced by the screenshot scripts, which set `pid` (the program) and `program_name`.
# The window sits at the screen's origin (no window manager); clicks go through xdotool.

# Stops the script when the program has ended before its pictures were taken.
running() {
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "$(basename "$0"): $program_name ended early" >&2
        exit 1
    fi
}

# click X Y [SECONDS] [BUTTON]: a click, then a pause for the window to follow it.
click() {
    xdotool mousemove "$1" "$2" click "${4:-1}"
    sleep "${3:-0.7}"
}
