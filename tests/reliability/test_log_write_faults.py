"""Day-log write faults against the real program, logging every 10 s from the simulated board,
one after the other in one run:

1. no logs folder at start: the program creates it and the records land there;
2. a folder standing where the day log should be;
3. a full disk (the day log's path made a link to /dev/full).

During each fault the program keeps running and its status line (read through the
accessibility bus) names the day log; once the fault is gone the record held meanwhile and the
next one land in the same file, after the earlier lines, which are untouched byte for byte."""

import errno
import os
import sys

from desktop import DESKTOP_ENV, run_on_desktop, stop_desktop, wait_for_status

run_on_desktop()

from reliability_support import EXPECTED, fields  # noqa: E402
from e2e_support import (FIXED, EndToEndCase, main, prog_cfg_bytes, today,  # noqa: E402
                         wait_until)

TICK = 10


class LogWriteFaultsTest(EndToEndCase):
    @classmethod
    def tearDownClass(cls):
        stop_desktop()

    def wait_records(self, app, count, what):
        return wait_until(lambda: len(app.records(self.day)) >= count and app.records(self.day),
                          2 * TICK + 10, what, interval=0.2)

    def check_records(self, records, count):
        self.assertEqual(len(records), count, records)
        for number, record in enumerate(records, 1):
            self.assertEqual(fields(record), EXPECTED, "record %d" % number)
        times = [r["T"] for r in records]
        self.assertEqual(times, sorted(times), "records out of order")

    def test_missing_folder_in_the_way_and_full(self):
        app = self.app_folder(prog_cfg=prog_cfg_bytes(port="1", log_on="1", log_delay="10"),
                              make_logs=False)
        board = self.board(app, args=["--rate", "5", "--fixed", FIXED])
        tarnby = self.tarnby(app, extra_env=DESKTOP_ENV)
        self.day = today()
        logs = app.file("logs")
        day_log = app.file(app.day_log(self.day))
        name = os.path.basename(day_log)

        # 1. The missing folder.
        wait_until(lambda: os.path.isdir(logs), 10, "the program to create logs/")
        board.wait_for("reader connected", 15)
        self.wait_records(app, 1, "the first record")

        # 2. and 3., each right after a record so the next tick falls inside the fault.
        faults = (("folder", os.mkdir, os.rmdir, os.strerror(errno.EISDIR)),
                  ("full disk", lambda path: os.symlink("/dev/full", path), os.unlink,
                   "disk full"))
        for count, (fault, make, undo, reason) in enumerate(faults, 1):
            before_fault = app.read(app.day_log(self.day))
            os.rename(day_log, day_log + ".aside")
            try:
                make(day_log)
                status = wait_for_status(tarnby.pid, lambda t: name in t, TICK + 10,
                                         "the day log that cannot be written (%s)" % fault)
                self.assertIn(reason, status)
                sys.stderr.write("%s: the status line said %r\n" % (fault, status))
                self.assertTrue(tarnby.alive(), "tarnby ended on a %s" % fault)
            finally:
                if os.path.lexists(day_log):
                    undo(day_log)
                os.rename(day_log + ".aside", day_log)
            records = self.wait_records(app, 1 + 2 * count, "the held record and the next one")
            self.check_records(records, 1 + 2 * count)
            now = app.read(app.day_log(self.day))
            self.assertEqual(now[:len(before_fault)], before_fault, "earlier records changed")
            wait_for_status(tarnby.pid, lambda t: name not in t, 5, "the fault released")

        self.assertTrue(tarnby.alive())
        self.assertEqual(tarnby.stop(), 0)
        self.assertEqual(len(app.whours_lines()), 1, app.whours_lines())
        # Nothing but the one day log and the watt-hour file: no stray or renamed files.
        self.assertEqual(sorted(os.listdir(logs)), sorted([name, "Whours.txt"]))


if __name__ == "__main__":
    main()
