# Sourced by the scripts that drive X clients.
# Xvfb now and then turns a connection away right after another client has
# left; a client that was turned away is simply run again.

# What a client prints when the display server turned its connection away.
refused='open display|connect to display|could be reached'

xtry() {
    local attempt status err
    err=$(mktemp)
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        "$@" 2>"$err" && { rm -f "$err"; return 0; }
        status=$?
        grep -qiE "$refused" "$err" || break
        sleep 0.3
    done
    cat "$err" >&2
    rm -f "$err"
    return "$status"
}

# Prints the first visible window titled exactly TITLE, waiting up to
# SECONDS for it: searching again and again rather than with --sync, which
# gives up when a window it looked at vanishes (Wine's transient windows do).
#   xwindow TITLE SECONDS
xwindow() {
    local deadline=$((SECONDS + $2)) found
    while [ "$SECONDS" -lt "$deadline" ]; do
        found=$(xtry xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$found" ] && { echo "$found"; return 0; }
        sleep 0.2
    done
    return 1
}
