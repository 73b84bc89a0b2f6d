"""Helpers for the end-to-end tests: an application folder holding a copy of the real program,
the simulated board on a pseudo-terminal, the running program, and readers for its files. Every
wait is bounded; a failed test shows what the program and the board printed."""

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
from decimal import ROUND_HALF_UP, Decimal

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.abspath(os.path.join(HERE, "..", ".."))
BIN_DIR = os.path.abspath(os.environ.get("TARNBY_BIN_DIR") or SOURCE_DIR + "/build/bin")

# Raw values the fixed-value tests send, and the record fields the samples' factors make of
# them (VoltDivider 30, VoltOffset 512, AmpDivider 20, RPMDivider 12, WSDivider 2).
FIXED = "810,912,50,215,25"
FIXED_WATTS = 540.0
EXPECTED = {"V": "27.00", "I": "20.00", "W": "540.00", "R": "250", "S": "12.5", "M": "0"}

RECORD = re.compile(
    rb"<T>(?P<T>\d\d:\d\d)</T><V>(?P<V>[^<]*)</V><I>(?P<I>[^<]*)</I><W>(?P<W>[^<]*)</W>"
    rb"<R>(?P<R>[^<]*)</R><S>(?P<S>[^<]*)</S><M>(?P<M>[^<]*)</M>   (?P<Wh>[0-9]*\.[0-9])Wh$")
WHOURS_LINE = re.compile(rb"^(\d\d:\d\d)  ([0-9]*\.[0-9]) Wh$")


def sample(name):
    with open(os.path.join(SOURCE_DIR, "samples", name), "rb") as f:
        return f.read()


def prog_cfg_bytes(port="1", log_delay="10", log_on="1"):
    """The sample prog.cfg with these values."""
    return (sample("prog.cfg").replace(b"<Port>1<", b"<Port>%s<" % port.encode())
            .replace(b"<LogDelay>60<", b"<LogDelay>%s<" % log_delay.encode())
            .replace(b"<LogOn>0<", b"<LogOn>%s<" % log_on.encode()))


def fields(record):
    return {k: record[k] for k in EXPECTED}


def today():
    return datetime.date.today()


def wait_until(predicate, timeout, what, interval=0.1):
    deadline = time.monotonic() + timeout
    while not (value := predicate()):
        if time.monotonic() >= deadline:
            raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)
    return value


def watt_hour_texts(watts, most_ticks):
    """The watt-hour totals ("#.0", halves away from zero) of up to most_ticks 5 s ticks."""
    texts = (str(Decimal(repr(watts * k / 720.0)).quantize(Decimal("0.1"), ROUND_HALF_UP))
             for k in range(most_ticks + 1))
    return {t[1:] if t.startswith("0.") else t for t in texts}


def parse_records(data):
    """The records of a day log; any other non-empty line (a torn or malformed record) fails."""
    if data and not data.endswith(b"\r\n"):
        raise AssertionError("day log does not end with CR LF: %r" % data[-80:])
    lines = list(filter(None, data.split(b"\r\n")))
    if bad := [line for line in lines if not RECORD.match(line)]:
        raise AssertionError("malformed day-log lines: %r" % bad)
    return [{k: v.decode("ascii") for k, v in RECORD.match(line).groupdict().items()}
            for line in lines]


def process_cpu_seconds(pid):
    """User plus system CPU time a process has used so far (fields 14 and 15 of its stat)."""
    with open("/proc/%d/stat" % pid) as f:
        after_name = f.read().rsplit(")", 1)[1].split()
    return (int(after_name[11]) + int(after_name[12])) / os.sysconf("SC_CLK_TCK")


class AppFolder:
    """A copy of the program (it finds its files beside its own), prog.cfg, settings.cfg, logs/."""

    def __init__(self, prog_cfg=None, settings_cfg=None, make_logs=True):
        self._dir = tempfile.TemporaryDirectory(prefix="tarnby-e2e-")
        self.path = self._dir.name
        self.program = shutil.copy2(os.path.join(BIN_DIR, "tarnby"), self.file("tarnby"))
        for name, data in (("prog.cfg", prog_cfg_bytes() if prog_cfg is None else prog_cfg),
                           ("settings.cfg", settings_cfg or sample("settings.cfg"))):
            with open(self.file(name), "wb") as f:
                f.write(data)
        if make_logs:
            os.mkdir(self.file("logs"))

    def file(self, relative):
        return os.path.join(self.path, relative)

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
        return [r for path in sorted(glob.glob(self.file("logs/P_*.txt")))
                for r in parse_records(self.read(path))]

    def whours_lines(self):
        return (self.read("logs/Whours.txt") or b"").split(b"\r\n")[:-1]

    def cleanup(self):
        self._dir.cleanup()


class Running:  # a child process whose output goes to a temporary file
    def __init__(self, command, **popen):
        self._out = tempfile.NamedTemporaryFile(prefix="tarnby-", suffix=".out", delete=False)
        self.process = subprocess.Popen(command, stdout=self._out, stderr=subprocess.STDOUT,
                                        **popen)
        self.pid = self.process.pid

    def alive(self):
        return self.process.poll() is None

    def output(self):
        with open(self._out.name, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def stop(self, sig=signal.SIGTERM, timeout=15):  # on a time-out cleanup kills it
        if self.alive():
            self.process.send_signal(sig)
        return self.process.wait(timeout)

    def cleanup(self):
        if self.alive():
            self.process.kill()
            self.process.wait()
        for path in (self._out.name, self._out.name + ".stats"):
            if os.path.exists(path):
                os.unlink(path)


class Board(Running):  # tarnby-board on a pseudo-terminal linked as <folder>/ports/COM<port>
    def __init__(self, folder, port=1, args=()):
        self.link = os.path.join(folder, "ports", "COM%d" % port)
        self.stats_path = tempfile.mktemp(prefix="tarnby-board-", suffix=".stats")
        super().__init__([os.path.join(BIN_DIR, "tarnby-board"), "--folder", folder, "--port", str(port),
                          "--stats-file", self.stats_path] + list(args))
        wait_until(lambda: "ready on" in self.output() or not self.alive(), 10, "the board")
        if not self.alive():
            raise AssertionError("tarnby-board ended at start-up: " + self.output())

    def wait_for(self, text, timeout, occurrences=1):
        wait_until(lambda: self.output().count(text) >= occurrences, timeout,
                   "the board to say %r" % text)

    def stats(self):
        with open(self.stats_path) as f:
            pairs = [line.strip().partition("=")[::2] for line in f]
        return {k: float(v) if k.startswith("sum_") else int(v) for k, v in pairs}

    def cleanup(self):
        super().cleanup()
        if os.path.exists(self.stats_path):
            os.unlink(self.stats_path)


class Tarnby(Running):  # the real program in an application folder, offscreen by default
    def __init__(self, app, extra_env=None):
        env = {**os.environ, "QT_QPA_PLATFORM": "offscreen", **(extra_env or {})}
        super().__init__([app.program], cwd=app.path, env=env)

    def cpu_seconds(self):
        return process_cpu_seconds(self.pid)

    def _proc(self, name, key):
        with open("/proc/%d/%s" % (self.pid, name)) as f:
            return next(int(line.split()[1]) for line in f if line.startswith(key))

    def rss_kib(self):
        return self._proc("status", "VmRSS:")

    def bytes_read(self):  # through read() and similar calls: mostly the serial line
        return self._proc("io", "rchar:")


class PortReader:  # reads the board's side of the line as a program would, through the link
    def __init__(self, path):
        self.fd = os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        self.reads = []

    def read_until(self, predicate, timeout, what):
        def more():
            if select.select([self.fd], [], [], 0.05)[0]:
                self.reads.append(os.read(self.fd, 65536))
            return predicate(b"".join(self.reads))
        wait_until(more, timeout, what, interval=0)
        return b"".join(self.reads)

    def close(self):
        os.close(self.fd)


class EndToEndCase(unittest.TestCase):
    """Cleans up what a test started, and on failure shows what the program and board said."""
    def app_folder(self, **kwargs):
        app = AppFolder(**kwargs)
        self.addCleanup(app.cleanup)
        return app

    def _started(self, running):
        self.addCleanup(running.cleanup)
        self.addCleanup(lambda: self._outcome.success or sys.stderr.write(
            "---- %s said:\n%s\n" % (running.process.args[0], running.output()[-4000:])))
        return running

    def board(self, app_or_folder, **kwargs):
        return self._started(Board(getattr(app_or_folder, "path", app_or_folder), **kwargs))

    def tarnby(self, app, **kwargs):
        return self._started(Tarnby(app, **kwargs))


def main():
    unittest.main(verbosity=2)
