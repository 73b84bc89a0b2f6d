"""tarnbyd, the logger without a window, against the simulated board: the desktop program's
records for the same frames; a configuration it cannot log with ends it with status 78 naming
the file and key; SIGHUP reads the settings again; a port that appears late; a stale lock."""

import os
import pathlib
import signal
import time

from e2e_support import (EXPECTED, FIXED, WHOURS_LINE, EndToEndCase, fields, main,
                         prog_cfg_bytes, today, wait_until, watt_hour_texts)

PROG = prog_cfg_bytes(log_delay="10")
# (what is changed in the sample prog.cfg, or the file removed; what is said; exit status)
CONFIGURATIONS = (
    ("prog.cfg", "prog.cfg: the file is missing", 78),
    ("settings.cfg", "settings.cfg: the file is missing", 78),
    ((b"<Port>1</Port>", b""), "the key <Port> is missing", 78),
    ((b"<Port>1<", b"<Port>0<"), "<Port> is 0", 78),
    ((b"<Port>1<", b"<Port>COM1<"), '"COM1" of <Port> is not a port number', 78),
    ((b">4800<", b">48x0<"), '"48x0" of <BR> is not a whole number', 78),
    ((b">10<", b">abc<"), '"abc" of <LogDelay> is not a number', 78),
    ((b"<LogOn>1</LogOn>", b""), "the key <LogOn> is missing", 78),
    ((b"<LogOn>1<", b"<LogOn>0<"), "logging is off: <LogOn> in", 0),
    ((b"<DisplayRPM>1<", b"<DisplayRPM>x<"), '"x" of <DisplayRPM> is not a number. Tarnby', 0),
)


class ServiceTest(EndToEndCase):
    def said(self, service, text, timeout=15):
        wait_until(lambda: text in service.output(), timeout, "tarnbyd to say %r" % text)

    def test_configuration_it_cannot_log_with_ends_it_naming_file_and_key(self):
        for change, text, status in CONFIGURATIONS:
            with self.subTest(text):
                app = self.app_folder(prog_cfg=PROG.replace(*change)
                                      if isinstance(change, tuple) else PROG)
                if isinstance(change, str):
                    os.remove(app.file(change))
                service = self.tarnbyd(app)
                wait_until(lambda: text in service.output() or not service.alive(), 10, text)
                self.assertIn(text, service.output())
                self.assertEqual(service.process.wait(10) if status else service.stop(), status)

    def test_same_records_as_the_desktop_program_and_the_watt_hour_line_at_sigterm(self):
        desktop_app, service_app = self.app_folder(), self.app_folder()
        for app in (desktop_app, service_app):
            self.board(app, args=["--rate", "5", "--fixed", FIXED])
        started = time.monotonic()
        desktop, service = self.tarnby(desktop_app), self.tarnbyd(service_app)
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
        self.assertEqual([fields(r) for r in app.all_records()], [EXPECTED] * 3)

    def test_port_that_appears_late_after_a_stale_lock(self):
        # Without its link, port N is /dev/ttyS<N-1>: take a number whose device is missing too.
        port = next(n for n in range(2, 100) if not os.path.exists("/dev/ttyS%d" % (n - 1)))
        app = self.app_folder(prog_cfg=prog_cfg_bytes(port=str(port), log_delay="10"))
        killed = self.tarnbyd(app)
        wait_until(lambda: app.read("tarnby.lock") == b"%d\n" % killed.pid, 10, "the lock")
        killed.stop(signal.SIGKILL)
        service = self.tarnbyd(app)
        self.said(service, "does not open: no such device")
        time.sleep(4)  # a try of the port or two (this only sets the scene)
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
