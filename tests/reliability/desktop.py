"""The real program on a virtual X display with the accessibility bus, so a test can read its
windows as a screen reader would: the status line of the main window (the label under the Exit
button) and the texts of any message box, and press a message box's button.

A test script calls run_on_desktop() first: outside a desktop session it runs itself again
under xvfb-run and dbus-run-session, then starts the accessibility bus launcher. Windows are
read by read_windows.py under the system's Python 3, which has python3-pyatspi.
"""

import atexit
import json
import os
import subprocess
import sys

from e2e_support import wait_until

READER = [os.path.join(os.path.dirname(os.path.abspath(__file__)), "read_windows.py")]
SYSTEM_PYTHON = "/usr/bin/python3"
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
DESKTOP_ENV = {"QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}


def run_on_desktop():
    """Makes sure this script runs with an X display and a D-Bus session with the
    accessibility bus; re-executes it under xvfb-run and dbus-run-session when needed."""
    missing = [p for p in ("/usr/bin/xvfb-run", "/usr/bin/dbus-run-session", BUS_LAUNCHER,
                           SYSTEM_PYTHON) if not os.path.exists(p)]
    if missing:
        raise SystemExit("missing %s: run scripts/install-deps" % ", ".join(missing))
    if os.environ.get("TARNBY_ON_TEST_DESKTOP") != "1":
        sys.stdout.flush()
        os.execvpe("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                                "dbus-run-session", "--", sys.executable] + sys.argv,
                   dict(os.environ, TARNBY_ON_TEST_DESKTOP="1"))
    launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    atexit.register(lambda: (launcher.kill(), launcher.wait()))


def _read_windows(pid, *button):
    try:
        return subprocess.run([SYSTEM_PYTHON] + READER + [str(pid)] + list(button),
                              capture_output=True, text=True, timeout=20, check=False)
    except subprocess.TimeoutExpired:
        return None


def windows(pid):
    """The program's windows as read_windows.py reports them ([] when not readable now)."""
    result = _read_windows(pid)
    try:
        return json.loads(result.stdout) if result and result.returncode == 0 else []
    except ValueError:
        return []


def status_line(pid):
    """The text of the first label after the main window's Exit button; None when the main
    window cannot be read."""
    for window in windows(pid):
        names = [name for role, name in window["controls"]]
        if "Exit" in names and "Show Logs" in names:
            after = window["controls"][names.index("Exit") + 1:]
            return next((name for role, name in after if role == "label"), None)
    return None


def message_boxes(pid):
    """The texts of the labels of every message box (an "alert" to the accessibility bus)."""
    return [[name for role, name in window["controls"] if role == "label" and name]
            for window in windows(pid) if window["role"] == "alert"]


def press(pid, button):
    """Clicks a message box's push button of that name, as a user would; True when there was one."""
    result = _read_windows(pid, button)
    return result is not None and result.returncode == 0


def wait_for_status(pid, predicate, timeout, what):
    """Waits until predicate(the status line's text) holds; returns the text."""
    def shown():
        text = status_line(pid)
        return text if text is not None and predicate(text) else None
    return wait_until(shown, timeout, "the status line to show " + what, interval=0.3)


def wait_for_message_box(pid, timeout, what):
    """Waits until a message box is shown; returns the texts of its labels."""
    return wait_until(lambda: message_boxes(pid), timeout, what, interval=0.3)[0]
