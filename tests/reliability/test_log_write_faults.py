"""Day-log write faults: no logs folder at start, then a folder and then a link to /dev/full in
the day log's place. The program runs on, its status line names the day log and the reason, and
the held records and the next one land in order after the untouched earlier lines."""

import errno
import os

from desktop import DESKTOP_ENV, run_on_desktop, wait_for_status
from e2e_support import EXPECTED, FIXED, EndToEndCase, fields, main, today, wait_until

TICK = 10


class LogWriteFaultsTest(EndToEndCase):
    def test_missing_folder_in_the_way_and_full(self):
        day = today()
        app = self.app_folder(make_logs=False)
        self.board(app, args=["--rate", "5", "--fixed", FIXED])
        tarnby = self.tarnby(app, extra_env=DESKTOP_ENV)
        day_log = app.file(app.day_log(day))
        name = os.path.basename(day_log)

        wait_until(lambda: app.records(day), 2 * TICK + 10, "the first record in a new logs/")
        before_faults = app.read(app.day_log(day))
        os.rename(day_log, day_log + ".aside")
        faults = (("a folder", os.mkdir, os.rmdir, os.strerror(errno.EISDIR)),
                  ("a full disk", lambda path: os.symlink("/dev/full", path), os.unlink,
                   "disk full"))
        for fault, make, undo, reason in faults:
            make(day_log)
            wait_for_status(tarnby.pid, lambda t: name in t and reason in t, TICK + 10,
                            "the day log that cannot be written (%s)" % fault)
            self.assertTrue(tarnby.alive(), "tarnby ended on " + fault)
            undo(day_log)
        os.rename(day_log + ".aside", day_log)

        records = wait_until(lambda: len(app.records(day)) >= 4 and app.records(day), TICK + 10,
                             "the held records and the next one")
        self.assertEqual([fields(r) for r in records], [EXPECTED] * 4)
        self.assertEqual(sorted(r["T"] for r in records), [r["T"] for r in records])
        self.assertEqual(app.read(app.day_log(day))[:len(before_faults)], before_faults)
        wait_for_status(tarnby.pid, lambda t: name not in t, 5, "the fault released")
        self.assertEqual(tarnby.stop(), 0)
        self.assertEqual(len(app.whours_lines()), 1, app.whours_lines())
        # Nothing but the one day log and the watt-hour file: no stray or renamed files.
        self.assertEqual(sorted(os.listdir(app.file("logs"))), sorted([name, "Whours.txt"]))


if __name__ == "__main__":
    run_on_desktop()
    main()
