"""/usr/bin/python3 read_windows.py <pid> [<button>] (python3-pyatspi, in the program's D-Bus
session): prints as JSON each top-level window of the process with its role and the [role, name]
of every control in it, depth first (a label's name is its text), [] before it is on the bus.
With a button name, clicks that push button of a message box ("alert") instead; exits 3 if none."""

import json
import sys

import pyatspi


def controls(accessible, depth=0):
    for i in range(accessible.childCount if depth < 12 else 0):
        child = accessible.getChildAtIndex(i)
        if child is not None:
            yield child
            yield from controls(child, depth + 1)


def main():
    pid, button = int(sys.argv[1]), (sys.argv[2:] or [None])[0]
    windows = []
    desktop = pyatspi.Registry.getDesktop(0)
    for app in filter(None, (desktop.getChildAtIndex(i) for i in range(desktop.childCount))):
        try:
            if app.get_process_id() != pid:
                continue
        except Exception:  # an application that went away meanwhile
            continue
        for window in filter(None, (app.getChildAtIndex(w) for w in range(app.childCount))):
            found = list(controls(window))
            if button and window.getRoleName() == "alert":
                for control in found:
                    if control.getRoleName() == "push button" and control.name == button:
                        control.queryAction().doAction(0)
                        return
            windows.append({"role": window.getRoleName(),
                            "controls": [[c.getRoleName(), c.name or ""] for c in found]})
    if button:
        sys.exit(3)
    json.dump(windows, sys.stdout)


if __name__ == "__main__":
    main()
