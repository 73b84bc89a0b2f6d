"""Helpers for the end-to-end tests: an application folder in a temporary directory holding a
copy of the real program, the simulated sensor board on a pseudo-terminal, the running
program, and readers for the files it writes.

Every wait is bounded; a test that times out says what it was waiting for and shows what the
program and the board printed.
"""

import datetime
import glob
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

BIN_DIR = os.environ.get("TARNBY_BIN_DIR") or os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "build", "bin")
SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))


def binary(name):
    return os.path.abspath(os.path.join(BIN_DIR, name))


# Raw values the fixed-value tests send, and what the samples' factors make of them
# (VoltDivider 30, VoltOffset 512, AmpDivider 20, RPMDivider 12, WSDivider 2).
FIXED = "810,912,50,215,25"
FIXED_VOLTS = 27.0    # 810 / 30
FIXED_AMPS = 20.0     # (912 - 512) / 20
FIXED_WATTS = 540.0
FIXED_RPM = 250.0     # 50 / 12 * 60
FIXED_SPEED = 12.5    # 25 / 2


def prog_cfg_bytes(port="1", log_delay="60", log_on="0", display_rpm="1", display_ws="1",
                   ws_units="MPH", sv="24", ma="20", br="4800", savehtml="0", save_excel="0"):
    keys = [("Port", port), ("Savehtml", savehtml), ("SaveExcel", save_excel),
            ("LogDelay", log_delay), ("LogOn", log_on), ("DisplayRPM", display_rpm),
            ("DisplayWS", display_ws), ("WSUnits", ws_units), ("SV", sv), ("MA", ma),
            ("BR", br)]
    lines = "".join("<%s>%s</%s>\r\n" % (k, v, k) for k, v in keys)
    return ("Program Config File\r\n\r\n" + lines + "\r\n").encode("latin-1")


def settings_cfg_bytes(volt_divider="30", volt_offset="512", amp_divider="20", rpm_divider="12",
                       ws_divider="2"):
    keys = [("VoltDivider", volt_divider), ("VoltOffset", volt_offset),
            ("AmpDivider", amp_divider), ("RPMDivider", rpm_divider), ("WSDivider", ws_divider)]
    lines = "".join("<%s>%s</%s>\r\n" % (k, v, k) for k, v in keys)
    return ("Calibration Settings\r\n\r\n\r\n" + lines).encode("latin-1")


def wait_until(predicate, timeout, what, interval=0.1):
    """Polls predicate until it returns a true value (returned) or timeout seconds pass."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def round_half_away(value, decimals):
    """Rounds as the picture formats do: halves away from zero, on the decimal value."""
    import decimal
    quantum = decimal.Decimal(1).scaleb(-decimals)
    return float(decimal.Decimal(repr(value)).quantize(quantum, rounding=decimal.ROUND_HALF_UP))


def watt_hour_texts(watts, most_ticks):
    """The watt-hour totals (in "#.0" form) that k five-second ticks at a steady power give."""
    texts = set()
    for k in range(0, most_ticks + 1):
        text = "%.1f" % round_half_away(watts * k / 720.0, 1)
        texts.add(text[1:] if text.startswith("0.") else text)
    return texts



def stop_process(process, sig, timeout, name):
    """Sends `sig` and waits; a process that does not end in time is killed and the test fails."""
    if process.poll() is None:
        process.send_signal(sig)
        try:
            process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise AssertionError("%s did not end within %d s of signal %d" % (name, timeout, sig))
    return process.returncode

class AppFolder:
    """An application folder: a copy of the program (it finds its files beside its own,
    symlink-resolved, executable), prog.cfg, settings.cfg and logs/."""

    def __init__(self, prog_cfg=None, settings_cfg=None, make_logs=True):
        self._dir = tempfile.TemporaryDirectory(prefix="tarnby-e2e-")
        self.path = self._dir.name
        self.program = os.path.join(self.path, "tarnby")
        if os.path.exists(binary("tarnby")):
            shutil.copy2(binary("tarnby"), self.program)
        self.write("prog.cfg", prog_cfg if prog_cfg is not None else prog_cfg_bytes())
        self.write("settings.cfg",
                   settings_cfg if settings_cfg is not None else settings_cfg_bytes())
        if make_logs:
            os.mkdir(os.path.join(self.path, "logs"))

    def file(self, relative):
        return os.path.join(self.path, relative)

    def write(self, relative, data):
        with open(self.file(relative), "wb") as f:
            f.write(data)

    def read(self, relative):
        try:
            with open(self.file(relative), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def day_log(self, date):
        return "logs/P_%04d_%02d_%02d.txt" % (date.year, date.month, date.day)

    def records(self, date):
        return parse_records(self.read(self.day_log(date)) or b"")

    def all_records(self):
        found = []
        for path in sorted(glob.glob(os.path.join(self.path, "logs", "P_*.txt"))):
            with open(path, "rb") as f:
                found.extend(parse_records(f.read()))
        return found

    def whours_lines(self):
        data = self.read("logs/Whours.txt") or b""
        if data and not data.endswith(b"\r\n"):
            raise AssertionError("Whours.txt does not end with CR LF: %r" % data[-80:])
        return data.split(b"\r\n")[:-1] if data else []

    def cleanup(self):
        self._dir.cleanup()


RECORD = re.compile(
    rb"<T>(?P<T>\d\d:\d\d)</T><V>(?P<V>[^<]*)</V><I>(?P<I>[^<]*)</I><W>(?P<W>[^<]*)</W>"
    rb"<R>(?P<R>[^<]*)</R><S>(?P<S>[^<]*)</S><M>(?P<M>[^<]*)</M>   (?P<Wh>[0-9]*\.[0-9])Wh$")


def parse_records(data):
    """The records of a day log; any other non-empty line is an error (a torn or malformed
    record), reported as such."""
    records = []
    if data and not data.endswith(b"\r\n"):
        raise AssertionError("day log does not end with CR LF: %r" % data[-80:])
    for line in data.split(b"\r\n")[:-1]:
        if line == b"":
            continue
        match = RECORD.match(line)
        if not match:
            raise AssertionError("malformed day-log line: %r" % line)
        records.append({k: v.decode("ascii") for k, v in match.groupdict().items()})
    return records


WHOURS_LINE = re.compile(rb"^(\d\d:\d\d)  ([0-9]*\.[0-9]) Wh$")


class Board:
    """tarnby-board on a pseudo-terminal linked as <folder>/ports/COM<port>."""

    def __init__(self, folder, port=1, args=(), stats=True):
        self.folder = folder
        self.port = port
        self.link = os.path.join(folder, "ports", "COM%d" % port)
        self._out = tempfile.NamedTemporaryFile(prefix="tarnby-board-", suffix=".out", delete=False)
        self.stats_path = self._out.name + ".stats" if stats else None
        command = [binary("tarnby-board"), "--folder", folder, "--port", str(port)] + list(args)
        if self.stats_path:
            command += ["--stats-file", self.stats_path]
        self.process = subprocess.Popen(command, stdout=self._out, stderr=subprocess.STDOUT)
        wait_until(lambda: "ready on" in self.output() or self.process.poll() is not None, 10,
                   "the board to be ready")
        if self.process.poll() is not None:
            raise AssertionError("tarnby-board ended at start-up: %s" % self.output())

    def output(self):
        with open(self._out.name, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def wait_for(self, text, timeout, occurrences=1):
        wait_until(lambda: self.output().count(text) >= occurrences, timeout,
                   "the board to say %r" % text)

    def stop(self, sig=signal.SIGTERM, timeout=10):
        return stop_process(self.process, sig, timeout, "tarnby-board")

    def stats(self):
        values = {}
        with open(self.stats_path) as f:
            for line in f:
                key, _, value = line.strip().partition("=")
                values[key] = float(value) if key.startswith("sum_") else int(value)
        return values

    def cleanup(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        for path in (self._out.name, self.stats_path):
            if path and os.path.exists(path):
                os.unlink(path)


def process_cpu_seconds(pid):
    """User plus system CPU time a process has used so far."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # Fields after the command name: state is field 3, utime 14, stime 15.
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def faketime_library():
    """Path of libfaketime.so.1 as the libfaketime package installed it."""
    try:
        listing = subprocess.run(["dpkg", "-L", "libfaketime"], capture_output=True, text=True,
                                 check=False).stdout.split("\n")
    except FileNotFoundError:
        listing = []
    listing += glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
    for line in listing:
        if line.endswith("/libfaketime.so.1") and os.path.exists(line):
            return line
    raise AssertionError("libfaketime.so.1 not found: install the libfaketime package "
                         "(scripts/install-deps does)")


class Tarnby:
    """The real program, started in an application folder with the offscreen platform."""

    def __init__(self, app, extra_env=None):
        if not os.path.exists(app.program):
            raise AssertionError("%s is missing: build the tarnby target first" % binary("tarnby"))
        env = dict(os.environ)
        env["QT_QPA_PLATFORM"] = "offscreen"
        env.update(extra_env or {})
        self._err = tempfile.NamedTemporaryFile(prefix="tarnby-", suffix=".err", delete=False)
        self.process = subprocess.Popen([app.program], cwd=app.path, env=env,
                                        stdout=self._err, stderr=subprocess.STDOUT)
        self.pid = self.process.pid

    def alive(self):
        return self.process.poll() is None

    def output(self):
        with open(self._err.name, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def cpu_seconds(self):
        """User plus system CPU time used so far."""
        return process_cpu_seconds(self.pid)

    def rss_kib(self):
        with open("/proc/%d/status" % self.pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return 0

    def bytes_read(self):
        """Bytes the program has read through read() and similar calls so far (rchar): the
        serial line, plus the files and event wake-ups of the program itself."""
        with open("/proc/%d/io" % self.pid) as f:
            for line in f:
                if line.startswith("rchar:"):
                    return int(line.split()[1])
        return 0

    def stop(self, sig=signal.SIGTERM, timeout=15):
        return stop_process(self.process, sig, timeout, "tarnby")

    def cleanup(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        if os.path.exists(self._err.name):
            os.unlink(self._err.name)


class PortReader:
    """Reads the board's side of the line as a program would: the slave of the pseudo-terminal,
    opened through the link."""

    def __init__(self, path):
        self.fd = os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        self.reads = []

    def read_for(self, seconds):
        poller = select.poll()
        poller.register(self.fd, select.POLLIN)
        deadline = time.monotonic() + seconds
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                break
            if poller.poll(left * 1000):
                try:
                    chunk = os.read(self.fd, 65536)
                except BlockingIOError:
                    continue
                except OSError:  # the board closed its end
                    break
                if chunk:
                    self.reads.append(chunk)
        return b"".join(self.reads)

    def read_until(self, predicate, timeout, what):
        deadline = time.monotonic() + timeout
        while not predicate(b"".join(self.reads)):
            if time.monotonic() >= deadline:
                raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))
            self.read_for(0.05)
        return b"".join(self.reads)

    def close(self):
        os.close(self.fd)


class EndToEndCase(unittest.TestCase):
    """Cleans up what a test started, and on failure shows what the program and board said."""

    def app_folder(self, **kwargs):
        app = AppFolder(**kwargs)
        self.addCleanup(app.cleanup)
        return app

    def board(self, app_or_folder, **kwargs):
        folder = app_or_folder.path if isinstance(app_or_folder, AppFolder) else app_or_folder
        board = Board(folder, **kwargs)
        self.addCleanup(board.cleanup)
        self.addCleanup(self._show, "tarnby-board", board.output)
        return board

    def tarnby(self, app, **kwargs):
        program = Tarnby(app, **kwargs)
        self.addCleanup(program.cleanup)
        self.addCleanup(self._show, "tarnby", program.output)
        return program

    def _show(self, name, output):
        if self._outcome_failed():
            text = output()
            sys.stderr.write("---- %s said:\n%s\n" % (name, text[-4000:] if text else "(nothing)"))

    def _outcome_failed(self):
        outcome = getattr(self, "_outcome", None)
        if outcome is None or not outcome.success:
            return True
        result = getattr(outcome, "result", None)
        reported = (getattr(result, "failures", []) + getattr(result, "errors", [])) if result else []
        return any(test is self for test, _ in reported)


def today():
    return datetime.date.today()


def main():
    unittest.main(verbosity=2)
