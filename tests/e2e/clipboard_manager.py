#!/usr/bin/python3
# A slow X11 clipboard manager: owns CLIPBOARD_MANAGER and, when a program
# that owns the clipboard asks it to save the clipboard as the program ends
# (SAVE_TARGETS), waits DELAY seconds, fetches the clipboard's text, prints
# it and lets the program go. Prints "ready" once it owns the selection, and
# meanwhile "owner none" or "owner WINDOW" for each change of the
# clipboard's owner, as managers watch it (XFixes).
# Usage: clipboard_manager.py DELAY
import sys
import time

from Xlib import X, display
from Xlib.ext import xfixes
from Xlib.protocol import event

delay = float(sys.argv[1])
d = display.Display()
window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
manager, save, clipboard, utf8, saved = (
    d.intern_atom(name) for name in
    ("CLIPBOARD_MANAGER", "SAVE_TARGETS", "CLIPBOARD", "UTF8_STRING", "PQL_SAVED"))
window.set_selection_owner(manager, X.CurrentTime)
d.xfixes_query_version()
d.xfixes_select_selection_input(window, clipboard, xfixes.XFixesSetSelectionOwnerNotifyMask)
d.flush()
print("ready", flush=True)

while True:
    request = d.next_event()
    if request.type == X.SelectionRequest and request.target == save:
        break
    # (python-xlib builds the event from a class of its own loading.)
    if type(request).__name__ == "SetSelectionOwnerNotify" and request.selection == clipboard:
        owner = getattr(request.owner, "id", request.owner)
        print("owner", hex(owner) if owner else "none", flush=True)
time.sleep(delay)
window.convert_selection(clipboard, utf8, saved, X.CurrentTime)
d.flush()
while (reply := d.next_event()).type != X.SelectionNotify:
    pass
text = window.get_full_property(saved, 0) if reply.property else None
request.requestor.send_event(event.SelectionNotify(
    time=request.time, requestor=request.requestor, selection=request.selection,
    target=request.target, property=request.property))
d.flush()
print(text.value.decode() if text else "(nothing)", flush=True)
