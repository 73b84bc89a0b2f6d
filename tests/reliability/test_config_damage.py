"""Damaged configuration files through the whole program: a message box names the file and
keys; after OK the program runs on (no port for prog.cfg, "possible corrupt COMMS data" for
settings.cfg), ends in order on SIGTERM, even during the message, and leaves both files as
they were."""

from desktop import DESKTOP_ENV, message_boxes, read_windows, run_on_desktop, wait_for_status
from e2e_support import FIXED, EndToEndCase, main, prog_cfg_bytes, sample, wait_until

PROG, SETTINGS = prog_cfg_bytes(), sample("settings.cfg")


class ConfigDamageTest(EndToEndCase):
    def start(self, prog, settings, file_name):
        app = self.app_folder(prog_cfg=prog, settings_cfg=settings)
        board = self.board(app, args=["--rate", "5", "--fixed", FIXED])
        tarnby = self.tarnby(app, extra_env=DESKTOP_ENV)
        texts = wait_until(lambda: message_boxes(tarnby.pid), 20, "the message box", 0.3)[0]
        message = next((t for t in texts if t.startswith("There is a problem with")), "")
        self.assertTrue(message.startswith("There is a problem with %s:" % file_name), texts)
        return app, board, tarnby, message

    def check_runs_on(self, prog, settings, file_name, keys, status):
        app, board, tarnby, message = self.start(prog, settings, file_name)
        self.assertTrue(all("<%s>" % key in message for key in keys), message)
        self.assertTrue(read_windows(tarnby.pid, "OK"), "no OK button to press")
        wait_until(lambda: not message_boxes(tarnby.pid), 10, "the message box to close")
        wait_for_status(tarnby.pid, lambda t: t == status, 10, repr(status))
        self.assertEqual(message_boxes(tarnby.pid), [], "a recovery window after the message")
        if file_name == "prog.cfg":  # no port without complete settings
            self.assertNotIn("reader connected", board.output())
        self.assertEqual(tarnby.stop(), 0)
        self.assertEqual(len(app.whours_lines()), 1, "no orderly end")
        self.assertEqual((app.read("prog.cfg"), app.read("settings.cfg")), (prog, settings))

    def test_prog_cfg_cut_inside_a_key(self):
        self.check_runs_on(PROG[:PROG.index(b"<LogOn>") + 9], SETTINGS, "prog.cfg",
                           ("LogOn", "DisplayRPM", "DisplayWS", "WSUnits", "BR"),
                           "     possible COMMS problem")

    def test_settings_cfg_closing_tag_first(self):
        damaged = SETTINGS.replace(b"<AmpDivider>20</AmpDivider>", b"</AmpDivider>20<AmpDivider>")
        self.check_runs_on(PROG, damaged, "settings.cfg", ["AmpDivider"],
                           "possible corrupt COMMS data")

    def test_sigterm_while_the_start_up_message_is_shown(self):
        # The signal ends the program, with its watt-hour line, before the event loop runs.
        app, _, tarnby, _ = self.start(PROG[:40], SETTINGS, "prog.cfg")
        self.assertEqual(tarnby.stop(timeout=5), 0)
        self.assertEqual(len(app.whours_lines()), 1)
        self.assertEqual(app.read("prog.cfg"), PROG[:40])


if __name__ == "__main__":
    run_on_desktop()
    main()
