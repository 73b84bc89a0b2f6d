"""kill -9 while logging at the shortest interval (10 s): two runs of the real program against
the board, each killed after a record of its own is in the day log (once at that moment, while
the record may still be being synced, once at a random moment of the interval), then one run
ended in order. After every kill each line of the day log is a whole record and none seen
before the kill is lost or changed; each next run takes the port over (a killed program leaves
its lock file behind) and appends to the same file.

TARNBY_KILL_SEED=<number> repeats a run's kill moments."""

import os
import random
import signal
import sys
import time

from e2e_support import (EXPECTED, FIXED, EndToEndCase, fields, main, parse_records, today,
                         wait_until)

TICK = 10


class KillWhileLoggingTest(EndToEndCase):
    def test_only_whole_records_after_each_kill(self):
        seed = int(os.environ.get("TARNBY_KILL_SEED") or time.time())
        sys.stderr.write("kill moments from seed %d (TARNBY_KILL_SEED)\n" % seed)
        delays = [0.0, random.Random(seed).uniform(0.0, TICK)]
        day = today()
        app = self.app_folder()
        self.board(app, args=["--rate", "20", "--fixed", FIXED])
        for run in range(len(delays) + 1):
            tarnby = self.tarnby(app)
            count = len(app.records(day))
            wait_until(lambda: len(app.records(day)) > count, TICK + 15,
                       "a record of run %d" % (run + 1))
            seen = app.read(app.day_log(day))
            if run == len(delays):
                break
            time.sleep(delays[run])  # the kill moment, not a wait for anything
            os.kill(tarnby.pid, signal.SIGKILL)
            tarnby.process.wait(10)
            data = app.read(app.day_log(day))
            what = "kill %d, %.2f s after a record" % (run + 1, delays[run])
            self.assertEqual(data[:len(seen)], seen, what + ": records lost or changed")
            records = parse_records(data)  # fails on a torn or malformed line
            self.assertEqual([fields(r) for r in records], [EXPECTED] * len(records), what)
            # Killed programs write no watt-hour line; nothing half written either.
            self.assertEqual(app.whours_lines(), [], what)

        self.assertEqual(tarnby.stop(), 0)
        self.assertEqual(app.read(app.day_log(day))[:len(seen)], seen)
        self.assertEqual(len(app.whours_lines()), 1)


if __name__ == "__main__":
    main()
