"""Prints, as JSON, the windows a running program shows through the accessibility bus: for the
process given by its id, each top-level window with its role, name and the (role, name) of
every control inside it in depth-first order. A label's name is its text.

Run with the system's Python 3 (python3-pyatspi), inside the same D-Bus session as the program:
    /usr/bin/python3 read_windows.py <pid> [--press <button> [--in <window role>]]
Prints [] when the program is not (yet) on the bus. With --press, first clicks the first push
button of that name (in a window of that role only, with --in) and exits 3 when there is none.
"""

import json
import sys

import pyatspi


def controls(accessible, found, depth=0):
    if depth > 12:
        return
    for i in range(accessible.childCount):
        child = accessible.getChildAtIndex(i)
        if child is None:
            continue
        found.append([child.getRoleName(), child.name or ""])
        controls(child, found, depth + 1)


def press(app, button, role):
    for w in range(app.childCount):
        window = app.getChildAtIndex(w)
        if window is None or (role and window.getRoleName() != role):
            continue
        stack = [window]
        while stack:
            item = stack.pop()
            for i in range(item.childCount):
                child = item.getChildAtIndex(i)
                if child is None:
                    continue
                if child.getRoleName() == "push button" and child.name == button:
                    child.queryAction().doAction(0)
                    return True
                stack.append(child)
    return False


def main():
    pid = int(sys.argv[1])
    options = dict(zip(sys.argv[2::2], sys.argv[3::2]))
    windows = []
    pressed = False
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None:
            continue
        try:
            if app.get_process_id() != pid:
                continue
        except Exception:  # an application that went away meanwhile
            continue
        if "--press" in options and not pressed:
            pressed = press(app, options["--press"], options.get("--in"))
            if not pressed:
                sys.exit(3)
        for w in range(app.childCount):
            window = app.getChildAtIndex(w)
            if window is None:
                continue
            found = []
            controls(window, found)
            windows.append({"role": window.getRoleName(), "name": window.name or "",
                            "controls": found})
    if "--press" in options and not pressed:
        sys.exit(3)
    json.dump(windows, sys.stdout)


if __name__ == "__main__":
    main()
