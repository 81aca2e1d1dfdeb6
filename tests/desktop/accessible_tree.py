#!/usr/bin/python3
"""Prints what a screen reader finds of one program (by process id) on the AT-SPI bus.

One line per object, fields split by tabs:
  node  ROLE  NAME  STATES(comma)  X Y W H  (screen pixels)
and, below a text object, one line per run of equal look:
  run   START END  X Y W H
and last the innermost named object that has the focus:
  focus ROLE  NAME
"""
import sys

import pyatspi


def extents(obj):
    try:
        e = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return [e.x, e.y, e.width, e.height]
    except NotImplementedError:
        return [0, 0, 0, 0]


def walk(obj, out, focus):
    states = obj.getState()
    names = [pyatspi.stateToString(s) for s in states.getStates()]
    name = (obj.name or "").replace("\t", " ").replace("\n", " ")
    out.append(["node", obj.getRoleName(), name, ",".join(names)] + extents(obj))
    if states.contains(pyatspi.STATE_FOCUSED) and name:
        focus[:] = ["focus", obj.getRoleName(), name]
    try:
        text = obj.queryText()
        offset = 0
        while offset < text.characterCount:
            _, start, end = text.getAttributeRun(offset, False)
            if end <= offset:
                break
            if text.getText(start, end).strip():
                box = text.getRangeExtents(start, end, pyatspi.DESKTOP_COORDS)
                out.append(["run", start, end] + list(box))
            offset = end
    except NotImplementedError:
        pass
    for child in obj:
        if child is not None:
            walk(child, out, focus)


def main():
    pid = int(sys.argv[1])
    desktop = pyatspi.Registry.getDesktop(0)
    out, focus = [], []
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            for window in app:
                walk(window, out, focus)
    for line in out + [focus]:
        print("\t".join(str(f) for f in line))


main()
