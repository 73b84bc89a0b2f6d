"""The program on a virtual X display, its windows read and answered through the accessibility
bus; run_on_desktop() runs the test script again under xvfb-run and dbus-run-session."""

import atexit
import json
import os
import subprocess
import sys

from e2e_support import wait_until

READER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "read_windows.py")
SYSTEM_PYTHON, BUS_LAUNCHER = "/usr/bin/python3", "/usr/libexec/at-spi-bus-launcher"
DESKTOP_ENV = {"QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}


def run_on_desktop():
    needed = ("/usr/bin/xvfb-run", "/usr/bin/dbus-run-session", BUS_LAUNCHER, SYSTEM_PYTHON)
    if missing := [p for p in needed if not os.path.exists(p)]:
        raise SystemExit("missing %s: run scripts/install-deps" % ", ".join(missing))
    if os.environ.get("TARNBY_ON_TEST_DESKTOP") != "1":
        sys.stdout.flush()
        os.execvpe("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                                "dbus-run-session", "--", sys.executable] + sys.argv,
                   dict(os.environ, TARNBY_ON_TEST_DESKTOP="1"))
    launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    atexit.register(lambda: (launcher.kill(), launcher.wait()))


def read_windows(pid, *press):
    """The program's windows, or True once the button is pressed; None when it cannot be read."""
    try:
        result = subprocess.run([SYSTEM_PYTHON, READER, str(pid)] + list(press),
                                capture_output=True, text=True, timeout=20, check=False)
        return (press or json.loads(result.stdout)) if result.returncode == 0 else None
    except (subprocess.TimeoutExpired, ValueError):
        return None


def message_boxes(pid):  # the label texts of each message box ("alert" on the bus)
    return [[name for role, name in window["controls"] if role == "label" and name]
            for window in read_windows(pid) or [] if window["role"] == "alert"]


def wait_for_status(pid, predicate, timeout, what):
    """Waits until predicate holds for the label after the main window's Exit button."""
    def shown():
        for window in read_windows(pid) or []:
            names = [name for role, name in window["controls"]]
            if "Exit" in names and "Show Logs" in names:
                after = window["controls"][names.index("Exit") + 1:]
                text = next((name for role, name in after if role == "label"), None)
                return text if text is not None and predicate(text) else None
    return wait_until(shown, timeout, "the status line to show " + what, interval=0.3)
