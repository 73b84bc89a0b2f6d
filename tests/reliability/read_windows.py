"""/usr/bin/python3 read_windows.py <pid> [<button>] (python3-pyatspi, in the program's D-Bus
session): prints as JSON the process's top-level windows, each with its role and the [role, name]
of its controls depth first (a label's name is its text). With a button name, presses that
button of a message box ("alert") instead, or exits 3."""

import json
import sys

import pyatspi


def controls(accessible, depth=0):
    for child in filter(None, map(accessible.getChildAtIndex, range(accessible.childCount))):
        yield child
        if depth < 12:
            yield from controls(child, depth + 1)


def main():
    pid, button = int(sys.argv[1]), (sys.argv[2:] or [None])[0]
    windows = []
    desktop = pyatspi.Registry.getDesktop(0)
    for app in filter(None, map(desktop.getChildAtIndex, range(desktop.childCount))):
        try:
            if app.get_process_id() != pid:
                continue
        except Exception:  # an application that went away meanwhile
            continue
        for window in filter(None, map(app.getChildAtIndex, range(app.childCount))):
            found = list(controls(window))
            pressable = [c for c in found if window.getRoleName() == "alert"
                         and c.getRoleName() == "push button" and c.name == button]
            if pressable:
                return pressable[0].queryAction().doAction(0)
            windows.append({"role": window.getRoleName(),
                            "controls": [[c.getRoleName(), c.name or ""] for c in found]})
    if button:
        sys.exit(3)
    json.dump(windows, sys.stdout)


if __name__ == "__main__":
    main()
