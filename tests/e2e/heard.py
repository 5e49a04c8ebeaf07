#!/usr/bin/python3
# What a screen reader hears of the running PQL, read over AT-SPI.
#   heard.py NAME...   the window shows labels named exactly so
#   heard.py --announced NAME
#                      prints "listening", then waits (10 s at most) until
#                      a label is announced under that new name
# Exits 0 when heard, 1 otherwise, printing the label names it found.
import sys

import pyatspi
from gi.repository import GLib


def pql():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "PQL":
            return app
    return None


def label_names(node):
    names = []
    for child in node:
        if child is None:
            continue
        if child.getRole() == pyatspi.ROLE_LABEL:
            names.append(child.name)
        names += label_names(child)
    return names


def main(args):
    if args[0] != "--announced":
        app = pql()
        names = label_names(app) if app else []
        missing = [name for name in args if name not in names]
        if missing:
            print(f"not heard: {missing}; the labels are named {names}")
        return 1 if missing else 0

    wanted = args[1]
    heard = []

    def on_name(event):
        if event.source.getRole() == pyatspi.ROLE_LABEL:
            heard.append(event.source.name)
            if event.source.name == wanted:
                pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(on_name, "object:property-change:accessible-name")
    GLib.timeout_add_seconds(10, pyatspi.Registry.stop)
    GLib.idle_add(lambda: print("listening", flush=True) and False)
    pyatspi.Registry.start()
    if wanted not in heard:
        print(f"not announced: {wanted}; heard {heard}")
        return 1
    return 0


sys.exit(main(sys.argv[1:]))
