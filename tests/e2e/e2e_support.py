"""End-to-end helpers: a folder with a copy of the real program, the simulated board on a
pseudo-terminal, an MQTT broker, the running program and its files. Every wait is bounded."""

import datetime
import functools
import os
import pathlib
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BIN_DIR = os.path.abspath(os.environ.get("TARNBY_BIN_DIR") or SOURCE_DIR + "/build/bin")
os.environ["PATH"] += os.pathsep + "/usr/sbin"  # mosquitto, for any user

# Raw values the fixed-value tests send, and the record fields the samples' factors make of them.
FIXED = "810,912,50,215,25"
EXPECTED = {"V": "27.00", "I": "20.00", "W": "540.00", "R": "250", "S": "12.5", "M": "0"}
RECORD = re.compile(
    rb"<T>(?P<T>\d\d:\d\d)</T><V>(?P<V>[^<]*)</V><I>(?P<I>[^<]*)</I><W>(?P<W>[^<]*)</W>"
    rb"<R>(?P<R>[^<]*)</R><S>(?P<S>[^<]*)</S><M>(?P<M>[^<]*)</M>   (?P<Wh>[0-9]*\.[0-9])Wh$")
WHOURS_LINE = re.compile(rb"^(\d\d:\d\d)  ([0-9]*\.[0-9]) Wh$")
today = datetime.date.today


def sample(name):
    return pathlib.Path(SOURCE_DIR, "samples", name).read_bytes()


def prog_cfg_bytes(port="1", log_delay="10", log_on="1"):
    return (sample("prog.cfg").replace(b"<Port>1<", b"<Port>%s<" % port.encode())
            .replace(b"<LogDelay>60<", b"<LogDelay>%s<" % log_delay.encode())
            .replace(b"<LogOn>0<", b"<LogOn>%s<" % log_on.encode()))


def fields(record):
    return {k: record[k] for k in EXPECTED}


def wait_until(predicate, timeout, what, interval=0.1):
    deadline = time.monotonic() + timeout
    while not (value := predicate()):
        if time.monotonic() >= deadline:
            raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)
    return value


def watt_hour_texts(most_ticks):
    """Totals ("#.0", halves away from zero) of up to most_ticks 5 s ticks at 540 W."""
    tenths = (int(540 * k / 72 + 0.5) for k in range(most_ticks + 1))
    return {("%d.%d" % divmod(t, 10)).lstrip("0") for t in tenths}


def parse_records(data):  # a torn or malformed line fails
    *lines, last = data.split(b"\r\n")
    if last or not all(matches := [RECORD.match(line) for line in lines if line]):
        raise AssertionError("torn or malformed day-log lines: %r" % data[-400:])
    return [{k: v.decode("ascii") for k, v in m.groupdict().items()} for m in matches]


def process_cpu_seconds(pid):  # utime + stime, fields 14 and 15 of /proc/<pid>/stat
    after_name = pathlib.Path("/proc/%d/stat" % pid).read_text().rsplit(")", 1)[1].split()
    return (int(after_name[11]) + int(after_name[12])) / os.sysconf("SC_CLK_TCK")


class AppFolder:  # the program finds prog.cfg, settings.cfg and logs/ beside itself
    def __init__(self, prog_cfg=None, settings_cfg=None, make_logs=True):
        self._dir = tempfile.TemporaryDirectory(prefix="tarnby-e2e-")
        self.path = self._dir.name
        self.program = shutil.copy2(os.path.join(BIN_DIR, "tarnby"), self.file("tarnby"))
        for name, data in (("prog.cfg", prog_cfg or prog_cfg_bytes()),
                           ("settings.cfg", settings_cfg or sample("settings.cfg"))):
            with open(self.file(name), "wb") as f:
                f.write(data)
        if make_logs:
            os.mkdir(self.file("logs"))
        self.cleanup = self._dir.cleanup

    def file(self, relative):
        return os.path.join(self.path, relative)

    def read(self, relative):
        path = pathlib.Path(self.file(relative))
        return path.read_bytes() if path.exists() else None

    def day_log(self, date):
        return date.strftime("logs/P_%Y_%m_%d.txt")

    def records(self, date):
        return parse_records(self.read(self.day_log(date)) or b"")

    def all_records(self):
        return [r for path in sorted(pathlib.Path(self.path, "logs").glob("P_*.txt"))
                for r in parse_records(path.read_bytes())]

    def whours_lines(self):
        return (self.read("logs/Whours.txt") or b"").split(b"\r\n")[:-1]


class Running:  # a child process whose output goes to a temporary file
    def __init__(self, command, **popen):
        self._out = tempfile.NamedTemporaryFile(prefix="tarnby-", suffix=".out")
        self.process = subprocess.Popen(command, stdout=self._out, stderr=subprocess.STDOUT,
                                        **popen)
        self.pid = self.process.pid

    def alive(self):
        return self.process.poll() is None

    def output(self):
        return pathlib.Path(self._out.name).read_text("utf-8", "replace")

    def stop(self, sig=signal.SIGTERM, timeout=15):  # on a time-out cleanup kills it
        self.process.send_signal(sig)  # nothing once it has been waited for
        return self.process.wait(timeout)

    def cleanup(self):
        self.stop(signal.SIGKILL, None)
        self._out.close()

    def cpu_seconds(self):
        return process_cpu_seconds(self.pid)

    def _proc(self, name, key):
        with open("/proc/%d/%s" % (self.pid, name)) as f:
            return next(int(line.split()[1]) for line in f if line.startswith(key))

    def rss_kib(self):
        return self._proc("status", "VmRSS:")

    def bytes_read(self):  # through read() and similar calls: mostly the serial line
        return self._proc("io", "rchar:")


class Board(Running):  # tarnby-board on a pseudo-terminal linked as <folder>/ports/COM<port>
    def __init__(self, folder, port=1, args=()):
        self.link = os.path.join(folder, "ports", "COM%d" % port)
        self.stats_path = tempfile.mktemp(dir=folder, suffix=".stats")
        super().__init__([os.path.join(BIN_DIR, "tarnby-board"), "--folder", folder, "--port",
                          str(port), "--stats-file", self.stats_path] + list(args))
        wait_until(lambda: "ready on" in self.output() or not self.alive(), 10, "the board")
        if not self.alive():
            raise AssertionError("tarnby-board ended at start-up: " + self.output())
        self.device = os.readlink(self.link)

    def stop(self, sig=signal.SIGTERM, timeout=15):
        # A killed board cannot remove its link, and the system gives its terminal's number to
        # the next pseudo-terminal any process opens: first the link is made to dangle, as an
        # unplugged adapter's does, so that it never leads a program to someone else's line.
        link = pathlib.Path(self.link)
        ours = link.is_symlink() and os.readlink(link) == self.device
        if sig == signal.SIGKILL and self.alive() and ours:
            dangling = link.with_name("%s.%d" % (link.name, self.pid))
            dangling.symlink_to(link.with_name(link.name + ".unplugged"))
            dangling.replace(link)
        return super().stop(sig, timeout)

    def wait_for(self, text, timeout, occurrences=1):
        wait_until(lambda: self.output().count(text) >= occurrences, timeout,
                   "the board to say %r" % text)

    def stats(self):
        pairs = (line.partition("=")[::2]
                 for line in pathlib.Path(self.stats_path).read_text().split())
        return {k: float(v) if k.startswith("sum_") else int(v) for k, v in pairs}


def free_port():  # a loopback port nothing listens on now
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def mqtt_cfg_bytes(port, site="e2e", **keys):  # mqtt.cfg for a broker on this machine
    keys = {"Host": "127.0.0.1", "Port": port, "Site": site, "LiveSeconds": 1, **keys}
    return b"".join(b"<%s>%s</%s>\r\n" % (k.encode(), str(v).encode(), k.encode())
                    for k, v in keys.items())


class Broker(Running):  # mosquitto on a free loopback port; start() again after stop()
    def __init__(self, folder, settings="allow_anonymous true"):
        self.port, self.config = free_port(), os.path.join(folder, "mosquitto.conf")
        pathlib.Path(self.config).write_text(  # as root it would drop to a user of its own
            "listener %d 127.0.0.1\npersistence false\nuser root\nlog_dest stderr\n%s\n"
            % (self.port, settings))
        self.start()

    def start(self):
        super().__init__(["mosquitto", "-c", self.config])
        wait_until(lambda: " running" in self.output() or not self.alive(), 10, "the broker")


class Subscriber(Running):  # every message under tarnby/ and homeassistant/, as it comes
    def __init__(self, port):
        super().__init__(["mosquitto_sub", "-p", str(port), "-h", "127.0.0.1", "-F", "%t %p",
                          "-t", "tarnby/#", "-t", "homeassistant/#"])

    def payloads(self, topic):
        lines = (line.partition(" ") for line in self.output().splitlines())
        return [payload for to, _, payload in lines if to == topic]


def Tarnby(app, extra_env=None, args=None):  # offscreen: the folder's copy, or the built one
    env = {**os.environ, "QT_QPA_PLATFORM": "offscreen", **(extra_env or {})}
    command = [app.program] if args is None else [os.path.join(BIN_DIR, "tarnby")] + args
    return Running(command, cwd=app.path, env=env)


def Tarnbyd(app, args=()):  # the service on the folder; its output is its messages
    return Running([os.path.join(BIN_DIR, "tarnbyd"), "--folder", app.path] + list(args),
                   cwd=app.path)


class PortReader:  # reads the board's side of the line as a program would, through the link
    def __init__(self, path):
        self.fd, self.reads = os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK), []

    def read_until(self, predicate, timeout, what):  # returns all read so far
        def more():
            if select.select([self.fd], [], [], 0.05)[0]:
                self.reads.append(os.read(self.fd, 65536))
            return predicate(data := b"".join(self.reads)) and data
        return wait_until(more, timeout, what, interval=0)

    def close(self):
        os.close(self.fd)


class EndToEndCase(unittest.TestCase):  # cleans up; on failure shows what each process said
    def app_folder(self, **kwargs):
        self.addCleanup((app := AppFolder(**kwargs)).cleanup)
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

    def tarnbyd(self, app, **kwargs):
        return self._started(Tarnbyd(app, **kwargs))

    def broker(self, folder, **kwargs):
        return self._started(Broker(folder, **kwargs))

    def subscriber(self, port):
        return self._started(Subscriber(port))

main = functools.partial(unittest.main, verbosity=2)
