"""tarnbyd, the logger without a window, against the simulated board: the desktop program's
records for the same frames; a configuration it cannot log with ends it with status 78 naming
the file and key; SIGHUP reads the settings again; a port that appears late; a stale lock."""

import os
import pathlib
import signal
import time

from e2e_support import (EXPECTED, FIXED, WHOURS_LINE, EndToEndCase, fields, main,
                         prog_cfg_bytes, sample, today, wait_until, watt_hour_texts)

ENDS = 78
PROG, SETTINGS = prog_cfg_bytes(log_delay="10"), sample("settings.cfg")
# (row, prog.cfg, settings.cfg (None: missing), what the message says, exit status)
CONFIGURATIONS = (
    ("no prog.cfg", None, SETTINGS, "prog.cfg: the file is missing", ENDS),
    ("no settings.cfg", PROG, None, "settings.cfg: the file is missing", ENDS),
    ("no Port", PROG.replace(b"<Port>1</Port>", b""), SETTINGS, "the key <Port> is missing", ENDS),
    ("Port 0", prog_cfg_bytes(port="0"), SETTINGS, "<Port> is 0", ENDS),
    ("Port COM1", prog_cfg_bytes(port="COM1"), SETTINGS, '"COM1" of <Port> is not a port', ENDS),
    ("BR 48x0", PROG.replace(b">4800<", b">48x0<"), SETTINGS, '"48x0" of <BR> is not a whole',
     ENDS),
    ("LogDelay abc", prog_cfg_bytes(log_delay="abc"), SETTINGS, '"abc" of <LogDelay> is not a',
     ENDS),
    ("no LogOn", PROG.replace(b"<LogOn>1</LogOn>", b""), SETTINGS, "the key <LogOn> is missing",
     ENDS),
    ("LogOn 0", prog_cfg_bytes(log_on="0"), SETTINGS, "logging is off: <LogOn> in", 0),
    ("DisplayRPM x", PROG.replace(b"<DisplayRPM>1<", b"<DisplayRPM>x<"), SETTINGS,
     '"x" of <DisplayRPM> is not a number. Tarnby takes <DisplayRPM> as off.', 0),
)


def free_port_number():  # without its link, port N is /dev/ttyS<N-1>: one that is missing too
    return next(n for n in range(2, 100) if not os.path.exists("/dev/ttyS%d" % (n - 1)))


class ServiceTest(EndToEndCase):
    def said(self, service, text, timeout=15):
        wait_until(lambda: text in service.output(), timeout, "tarnbyd to say %r" % text)

    def test_configuration_it_cannot_log_with_ends_it_naming_file_and_key(self):
        for row, prog, settings, text, status in CONFIGURATIONS:
            with self.subTest(row):
                app = self.app_folder(prog_cfg=prog, settings_cfg=settings)
                for name, data in (("prog.cfg", prog), ("settings.cfg", settings)):
                    if data is None:
                        os.remove(app.file(name))
                service = self.tarnbyd(app)
                wait_until(lambda: text in service.output() or not service.alive(), 10, row)
                self.assertIn(text, service.output())
                self.assertEqual(service.stop() if status == 0 else service.process.wait(10),
                                 status)

    def test_same_records_as_the_desktop_program_and_the_watt_hour_line_at_sigterm(self):
        desktop_app, service_app = self.app_folder(), self.app_folder()
        for app in (desktop_app, service_app):
            self.board(app, args=["--rate", "5", "--fixed", FIXED])
        started = time.monotonic()
        desktop, service = self.tarnby(desktop_app), self.tarnbyd(service_app)
        self.said(service, "logging every 10 seconds")
        for app in (desktop_app, service_app):
            wait_until(app.all_records, 25, "a record", interval=0.25)
        running = time.monotonic() - started
        self.assertEqual((desktop.stop(), service.stop()), (0, 0))
        for app in (desktop_app, service_app):
            records = app.all_records()
            self.assertEqual([fields(r) for r in records], [EXPECTED] * len(records))
            self.assertTrue(all(r["Wh"] in watt_hour_texts(2 * n + 2)
                                for n, r in enumerate(records, 1)), records)
            (line,) = app.whours_lines()
            total = WHOURS_LINE.match(line).group(2).decode()
            self.assertIn(total, watt_hour_texts(int(running / 5) + 1) - {".0"})

    def test_sighup_reads_the_settings_again(self):
        app = self.app_folder(prog_cfg=prog_cfg_bytes(log_delay="600"))
        self.board(app, args=["--rate", "5", "--fixed", FIXED])
        service = self.tarnbyd(app)
        self.said(service, "logging every 600 seconds")
        pathlib.Path(app.file("prog.cfg")).write_bytes(PROG.replace(b"<BR>", b"<B>"))
        service.process.send_signal(signal.SIGHUP)
        self.said(service, "the settings stay as they were, since %s" % app.file("prog.cfg"))
        pathlib.Path(app.file("prog.cfg")).write_bytes(PROG)
        service.process.send_signal(signal.SIGHUP)
        self.said(service, "logging every 10 seconds")
        wait_until(app.all_records, 15, "a record at the new interval", interval=0.25)
        # A record that cannot be written is said and held; the next write says it is over.
        day_log = pathlib.Path(app.file(app.day_log(today())))
        day_log.rename(day_log.with_suffix(".aside"))
        day_log.mkdir()
        self.said(service, "Cannot write")
        self.assertIn(day_log.name, service.output())
        day_log.rmdir()
        day_log.with_suffix(".aside").rename(day_log)
        self.said(service, "writing works again")
        self.assertEqual(service.stop(), 0)
        records = app.all_records()
        self.assertEqual([fields(r) for r in records], [EXPECTED] * 3)

    def test_port_that_appears_late_after_a_stale_lock(self):
        port = free_port_number()
        app = self.app_folder(prog_cfg=prog_cfg_bytes(port=str(port), log_delay="10"))
        killed = self.tarnbyd(app)
        wait_until(lambda: app.read("tarnby.lock") == b"%d\n" % killed.pid, 10, "the lock")
        killed.stop(signal.SIGKILL)
        service = self.tarnbyd(app)
        self.said(service, "does not open: no such device")
        time.sleep(2 * 3)  # two tries of the port (this only sets the scene)
        self.board(app, port=port, args=["--rate", "5", "--fixed", FIXED, "--bad-every", "2",
                                         "--bad-kinds", "closing"])
        self.said(service, "logging every 10 seconds")
        records = wait_until(app.all_records, 15, "a record", interval=0.25)
        self.assertEqual([fields(r) for r in records], [EXPECTED] * len(records))
        output = service.output()
        self.assertEqual([output.count(text) for text in (
            "already used", "does not open", "possible corrupt COMMS data: 1 frame in")],
            [0, 1, 1], output)
        self.assertEqual(service.stop(), 0)


if __name__ == "__main__":
    main()
