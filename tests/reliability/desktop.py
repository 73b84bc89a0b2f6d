"""The real program on a virtual X display with the accessibility bus, so a test can read its
windows as a screen reader would: the status line of the main window (Label2, the label under
the Exit button) and the text of any message box.

A test script calls run_on_desktop() first: outside a desktop session it runs itself again
under xvfb-run and dbus-run-session, then starts the accessibility bus launcher. Windows are
read by read_windows.py under the system's Python 3, which has python3-pyatspi.
"""

import json
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SYSTEM_PYTHON = "/usr/bin/python3"
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
_INSIDE = "TARNBY_ON_TEST_DESKTOP"

DESKTOP_ENV = {"QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}

_launcher = None


def run_on_desktop():
    """Makes sure this script runs with an X display and a D-Bus session with the
    accessibility bus; re-executes it under xvfb-run and dbus-run-session when needed."""
    global _launcher
    missing = [p for p in ("/usr/bin/xvfb-run", "/usr/bin/dbus-run-session", BUS_LAUNCHER,
                           SYSTEM_PYTHON) if not os.path.exists(p)]
    if missing:
        raise SystemExit("missing %s: run scripts/install-deps" % ", ".join(missing))
    if os.environ.get(_INSIDE) != "1":
        env = dict(os.environ)
        env[_INSIDE] = "1"
        command = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", "dbus-run-session", "--",
                   sys.executable] + sys.argv
        sys.stdout.flush()
        os.execvpe("xvfb-run", command, env)
    if _launcher is None:
        _launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def stop_desktop():
    if _launcher is not None and _launcher.poll() is None:
        _launcher.terminate()
        try:
            _launcher.wait(5)
        except subprocess.TimeoutExpired:
            _launcher.kill()
            _launcher.wait()


def windows(pid):
    """The program's windows as read_windows.py reports them ([] when not readable now)."""
    try:
        result = subprocess.run([SYSTEM_PYTHON, os.path.join(HERE, "read_windows.py"), str(pid)],
                                capture_output=True, text=True, timeout=20, check=False)
    except subprocess.TimeoutExpired:
        return []
    if result.returncode != 0:
        return []
    try:
        return json.loads(result.stdout)
    except ValueError:
        return []


def main_window(pid):
    for window in windows(pid):
        names = [name for role, name in window["controls"] if role == "push button"]
        if "Exit" in names and "Show Logs" in names:
            return window
    return None


def status_line(pid):
    """The text of Label2: the first label after the Exit button; None when the main window
    cannot be read."""
    window = main_window(pid)
    if window is None:
        return None
    after_exit = False
    for role, name in window["controls"]:
        if role == "push button" and name == "Exit":
            after_exit = True
        elif after_exit and role == "label":
            return name
    return None


def message_boxes(pid):
    """The texts of the labels of every message box the program shows (a message box is an
    "alert" to the accessibility bus; the setup windows are "dialog"s)."""
    boxes = []
    for window in windows(pid):
        if window["role"] == "alert":
            boxes.append([name for role, name in window["controls"] if role == "label" and name])
    return boxes


def wait_for_status(pid, predicate, timeout, what):
    """Polls the status line until predicate(text) holds; returns the text."""
    deadline = time.monotonic() + timeout
    seen = []
    while True:
        text = status_line(pid)
        if text is not None and predicate(text):
            return text
        if text is not None and (not seen or seen[-1] != text):
            seen.append(text)
        if time.monotonic() >= deadline:
            raise AssertionError("timed out after %.0f s waiting for the status line to show %s; "
                                 "it showed %r" % (timeout, what, seen[-5:]))
        time.sleep(0.3)


def press(pid, button, role=None):
    """Clicks the program's first push button of that name (in a window of that role only,
    when given), as a user would; True when there was one."""
    command = [SYSTEM_PYTHON, os.path.join(HERE, "read_windows.py"), str(pid), "--press", button]
    if role:
        command += ["--in", role]
    try:
        result = subprocess.run(command, capture_output=True, text=True, timeout=20, check=False)
    except subprocess.TimeoutExpired:
        return False
    return result.returncode == 0


def wait_for_message_box(pid, timeout, what):
    """Waits until a message box is shown; returns the texts of its labels."""
    deadline = time.monotonic() + timeout
    while True:
        boxes = message_boxes(pid)
        if boxes:
            return boxes[0]
        if time.monotonic() >= deadline:
            raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(0.3)
