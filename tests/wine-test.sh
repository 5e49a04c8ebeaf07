#!/bin/sh
# Runs a QtTest program built for Windows under Wine and prints its log.
# Without a console of its own a QtTest program writes its log to the
# debugger, so the log goes to a file, shown once the program has ended.
# Usage: wine-test.sh TEST.exe [ARGUMENTS...]
log=$(mktemp)
trap 'rm -f "$log"' EXIT
wine "$@" -o "$(winepath -w "$log" 2>/dev/null)",txt
status=$?
# The prefix's server goes with the test's display, so the next test, on a
# display of its own, starts its own.
wineserver -w
cat "$log"
exit $status
