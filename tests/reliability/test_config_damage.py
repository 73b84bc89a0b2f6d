"""Damaged configuration files, a few cases through the whole program (every cut point is
covered through the real main window in tst_config_damage): the program shows one message box
naming the file and the keys it lacks, runs on after OK (without its port for prog.cfg, with
"possible corrupt COMMS data" for settings.cfg), ends in order on SIGTERM, and leaves both files
byte for byte as they were."""

import os
import time
import unittest

from desktop import (DESKTOP_ENV, message_boxes, press, run_on_desktop, status_line,
                     stop_desktop, wait_for_message_box, wait_for_status)

run_on_desktop()

import reliability_support  # noqa: E402,F401 (finds e2e_support)
from e2e_support import (FIXED, EndToEndCase, main, prog_cfg_bytes,  # noqa: E402
                         settings_cfg_bytes, wait_until)

PROG = prog_cfg_bytes(port="1", log_on="1", log_delay="10")
SETTINGS = settings_cfg_bytes()
CORRUPT = "possible corrupt COMMS data"


class ConfigDamageTest(EndToEndCase):
    @classmethod
    def tearDownClass(cls):
        stop_desktop()

    def run_damaged(self, prog, settings, file_name, keys, problem=None):
        app = self.app_folder(prog_cfg=prog if prog is not None else b"",
                              settings_cfg=settings if settings is not None else b"")
        for name, data in (("prog.cfg", prog), ("settings.cfg", settings)):
            if data is None:
                os.unlink(app.file(name))
        board = self.board(app, args=["--rate", "5", "--fixed", FIXED])
        tarnby = self.tarnby(app, extra_env=DESKTOP_ENV)

        texts = wait_for_message_box(tarnby.pid, 20, "the message about %s" % file_name)
        message = next((t for t in texts if t.startswith("There is a problem with")), "")
        self.assertTrue(message.startswith("There is a problem with %s:" % file_name), texts)
        for key in keys:
            self.assertIn("<%s>" % key, message)
        if problem:
            self.assertIn(problem, message)
        self.assertTrue(tarnby.alive())
        self.assertTrue(press(tarnby.pid, "OK", "alert"), "no OK button to press")
        wait_until(lambda: not message_boxes(tarnby.pid), 10, "the message box to close")

        if file_name == "prog.cfg":
            # No port without complete settings, and no recovery loop of messages.
            time.sleep(2)
            self.assertEqual(message_boxes(tarnby.pid), [])
            self.assertEqual(status_line(tarnby.pid), "     possible COMMS problem")
            self.assertNotIn("reader connected", board.output())
        else:
            board.wait_for("reader connected", 10)
            wait_for_status(tarnby.pid, lambda t: t == CORRUPT, 10, repr(CORRUPT))
            self.assertEqual(message_boxes(tarnby.pid), [])

        self.assertTrue(tarnby.alive())
        self.assertEqual(tarnby.stop(), 0)
        self.assertEqual(len(app.whours_lines()), 1, "no orderly end")
        for name, data in (("prog.cfg", prog), ("settings.cfg", settings)):
            self.assertEqual(app.read(name), data, "%s changed" % name)
        return app

    def test_prog_cfg_cut_inside_a_key(self):
        cut = PROG[:PROG.index(b"<LogOn>") + 9]
        self.run_damaged(cut, SETTINGS, "prog.cfg",
                         ["LogOn", "DisplayRPM", "DisplayWS", "WSUnits", "BR"])

    def test_prog_cfg_closing_tag_first(self):
        damaged = PROG.replace(b"<LogDelay>10</LogDelay>", b"</LogDelay>10<LogDelay>")
        self.run_damaged(damaged, SETTINGS, "prog.cfg", ["LogDelay"], "comes before")

    def test_prog_cfg_missing(self):
        self.run_damaged(None, SETTINGS, "prog.cfg", [], "missing")

    def test_settings_cfg_cut_inside_a_value(self):
        cut = SETTINGS[:SETTINGS.index(b"<AmpDivider>") + 13]
        self.run_damaged(PROG, cut, "settings.cfg", ["AmpDivider", "RPMDivider", "WSDivider"])

    def test_settings_cfg_empty(self):
        self.run_damaged(PROG, b"", "settings.cfg", [], "empty")

    def test_sigterm_while_start_up_message_is_shown(self):
        # The signal must end the program, with its watt-hour line, even before the event
        # loop has started.
        app = self.app_folder(prog_cfg=PROG[:40], settings_cfg=SETTINGS)
        tarnby = self.tarnby(app, extra_env=DESKTOP_ENV)
        wait_for_message_box(tarnby.pid, 20, "the message about prog.cfg")
        self.assertEqual(tarnby.stop(timeout=5), 0)
        self.assertEqual(len(app.whours_lines()), 1)


if __name__ == "__main__":
    main()
