#!/bin/bash
# Drives the real PQL program on a real X server: key events through the
# XTEST extension (xdotool), the clipboard read from another process (xclip).
# Usage: e2e.sh PATH-TO-PQL   (run under xvfb-run)
set -u

PQL=$(realpath "$1")
WORK=$(mktemp -d)  # the folder PQL runs in, holding only the catalogue
LOGS=$(mktemp -d)  # its standard output and error, kept out of that folder
trap 'kill -CONT $(pgrep -x xclip) 2>/dev/null; kill $(jobs -p) 2>/dev/null; rm -rf "$WORK" "$LOGS"' EXIT

passed=0
failed=0
pid=""

fail() { echo "FAIL: $current: $*"; failed=$((failed + 1)); current_failed=1; }

begin() {
    current=$1
    current_failed=0
    rm -rf "${WORK:?}"/* "${LOGS:?}"/*
}

end() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    pid=""
    if [ "$current_failed" = 0 ]; then
        echo "PASS: $current"
        passed=$((passed + 1))
    elif [ -s "$LOGS/stderr" ]; then
        echo "--- standard error of PQL:"
        tail -n 40 "$LOGS/stderr"
    fi
}

write_catalogue() {
    printf 'orphan.mod\r\nprops\r\ncrate01.mod\r\nCrate02.MOD\r\nbarrel.mdl\r\nprops\\crates\r\ncrate01.mod\r\nvehicles\r\ncar.mod\r\n' >"$WORK/PQL.TXT"
}

launch() {
    (cd "$WORK" && exec "$PQL" >"$LOGS/stdout" 2>"$LOGS/stderr") &
    pid=$!
}

# Starts PQL in $WORK and waits until its window shows and has the focus.
start() {
    launch
    window=$(timeout 10 xdotool search --sync --onlyvisible --name '^Pathquill$' | head -n 1)
    if [ -z "$window" ]; then
        fail "the window did not appear"
        return 1
    fi
    xdotool windowfocus --sync "$window"
    sleep 0.3
}

keys() { xdotool key --delay 40 "$@"; sleep 0.2; }
typed() { xdotool type --delay 40 "$1"; sleep 0.2; }

# The focus starts in the search box; the copy button is three Tabs on.
copy_from_search() { keys Tab Tab Tab space; }

clipboard() { timeout 5 xclip -selection clipboard -o 2>/dev/null; }

expect_clipboard() {
    local actual
    actual=$(clipboard)
    [ "$actual" = "$1" ] || fail "clipboard holds '$actual', expected '$1'"
}

# Waits for PQL to end and checks its exit status.
expect_exit() {
    local status=124
    for _ in $(seq 50); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            status=$?
            break
        fi
        sleep 0.1
    done
    pid=""
    [ "$status" = "$1" ] || fail "exit status $status, expected $1"
}

begin "start-up then copy"
write_catalogue
if start; then
    copy_from_search
    expect_clipboard 'models\\orphan.mod'
fi
end

begin "typing a search then copy"
write_catalogue
if start; then
    typed "CRA"
    copy_from_search
    expect_clipboard 'models\props\crate01.mod'
fi
end

begin "picking the second match with the arrow keys then copy"
write_catalogue
if start; then
    typed "crate"
    keys Tab Down Down Tab Tab space
    expect_clipboard 'models\props\Crate02.MOD'
fi
end

begin "no match then copy clears what another program put there"
write_catalogue
printf 'from another program' | xclip -selection clipboard
[ "$(clipboard)" = "from another program" ] || fail "could not set the clipboard up"
if start; then
    typed "nothing-like-this"
    copy_from_search
    expect_clipboard ''
fi
end

begin "Ctrl+X in the search box ends the program with status 0"
write_catalogue
if start; then
    typed "car"
    keys ctrl+x
    expect_exit 0
fi
end

# Start-up refusals: a message window titled PQL, the message on standard
# error, never the main window, and status 1 once the message is dismissed.
expect_refusal() {
    launch
    local box
    box=$(timeout 10 xdotool search --sync --onlyvisible --name '^PQL$' | head -n 1)
    if [ -z "$box" ]; then
        fail "no message window appeared"
        return
    fi
    [ -z "$(xdotool search --onlyvisible --name '^Pathquill$')" ] || fail "the main window appeared"
    grep -q "^PQL: " "$LOGS/stderr" || fail "no message on standard error"
    grep -qF "$1" "$LOGS/stderr" || fail "standard error does not say '$1'"
    grep -qF "$WORK/PQL.TXT" "$LOGS/stderr" || fail "the message does not name the path"
    xdotool windowfocus --sync "$box"
    sleep 0.3
    keys Return
    expect_exit 1
}

begin "refused: missing"
expect_refusal "was not found"
end

begin "refused: a folder named PQL.TXT"
mkdir "$WORK/PQL.TXT"
expect_refusal "is a folder"
end

begin "refused: a named pipe, without blocking"
mkfifo "$WORK/PQL.TXT"
expect_refusal "named pipe"
end

begin "refused: a link that leads nowhere"
ln -s "$WORK/gone.txt" "$WORK/PQL.TXT"
expect_refusal "does not exist"
end

begin "refused: empty"
: >"$WORK/PQL.TXT"
expect_refusal "is empty"
end

begin "refused: no model record"
printf 'props\r\n\r\nvehicles\r\n' >"$WORK/PQL.TXT"
expect_refusal "no model"
end

begin "refused: 5002 records"
seq 1 5002 | sed 's/$/.mod/' >"$WORK/PQL.TXT"
expect_refusal "more than 5001 records"
end

begin "refused: far larger than any catalogue"
head -c 20000000 /dev/zero | tr '\0' 'x' >"$WORK/PQL.TXT"
expect_refusal "too large"
end

begin "a full run leaves the folder and the catalogue untouched"
write_catalogue
touch -d '2001-02-03 04:05:06' "$WORK/PQL.TXT"
snapshot() {
    (cd "$WORK" && find . -printf '%p %y %s %m %U %T@ %C@\n' | sort && sha256sum PQL.TXT)
}
before=$(snapshot)
sleep 0.1
if start; then
    typed "crate"
    keys Tab Down Down Tab Tab space
    expect_clipboard 'models\props\Crate02.MOD'
    keys shift+Tab shift+Tab shift+Tab BackSpace BackSpace
    copy_from_search
    keys ctrl+x
    expect_exit 0
fi
after=$(snapshot)
[ "$before" = "$after" ] || fail "the folder changed:$(diff <(echo "$before") <(echo "$after"))"
end

begin "copying while the previous clipboard owner does not answer"
write_catalogue
printf 'stale' | xclip -selection clipboard
owner=$(pgrep -n -x xclip)
kill -STOP "$owner"
if start; then
    copy_from_search
    kill -CONT "$owner"
    expect_clipboard 'models\\orphan.mod'
    keys ctrl+x
    expect_exit 0
fi
kill -CONT "$owner" 2>/dev/null
end

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
