#!/usr/bin/python3
"""Prints what a screen reader finds of one program (by process id) on the AT-SPI bus: a line
for each object, and for each run of equal look in a text, with tab-separated fields
  WINDOW  ROLE  NAME  STATES(comma-separated)  X  Y  W  H
where WINDOW is the name of the frame or dialog it is in, a run's ROLE is "text run", and the
place is in screen pixels.
With --notifications it prints instead, until it is ended, a line for each notification that
appears (ROLE NAME), after a first line "listening"."""
import sys

import pyatspi


def walk(obj, window, out):
    states = obj.getState()
    name = (obj.name or "").replace("\t", " ").replace("\n", " ")
    window = window if window is not None else name
    try:
        e = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        place = [e.x, e.y, e.width, e.height]
    except NotImplementedError:
        place = [0, 0, 0, 0]
    flags = ",".join(pyatspi.stateToString(s) for s in states.getStates())
    out.append([window, obj.getRoleName(), name, flags] + place)
    try:
        text = obj.queryText()
        offset = 0
        while offset < text.characterCount:
            _, start, end = text.getAttributeRun(offset, False)
            if end <= offset:
                break
            if text.getText(start, end).strip():
                box = text.getRangeExtents(start, end, pyatspi.DESKTOP_COORDS)
                out.append([window, "text run", name, flags] + list(box))
            offset = end
    except NotImplementedError:
        pass
    for child in obj:
        if child is not None:
            walk(child, window, out)


def notified(event):
    source = event.source
    if event.detail1 and source.get_process_id() == int(sys.argv[1]):
        print(source.getRoleName() + "\t" + (source.name or ""), flush=True)


if sys.argv[2:] == ["--notifications"]:
    pyatspi.Registry.registerEventListener(notified, "object:state-changed:showing")
    print("listening", flush=True)
    pyatspi.Registry.start()
    sys.exit(0)

out = []
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.get_process_id() == int(sys.argv[1]):
        for top in app:
            walk(top, None, out)
for line in out:
    print("\t".join(str(f) for f in line))
