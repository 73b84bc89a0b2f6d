"""kill -9 just after a record (maybe still being synced): only whole records stay, none lost,
and the next run takes the port and the folder over despite the lock files left behind, appends
and ends in order. TARNBY_KILL_SEED=<number> repeats a run's kill moment."""

import os
import random
import signal
import sys
import time

from e2e_support import (EXPECTED, FIXED, EndToEndCase, fields, main, parse_records, today,
                         wait_until)


class KillWhileLoggingTest(EndToEndCase):
    def wait_for_a_record(self, app, day, what):
        count = len(app.records(day))
        wait_until(lambda: len(app.records(day)) > count, 25, what)
        return app.read(app.day_log(day))

    def test_only_whole_records_after_a_kill(self):
        seed = int(os.environ.get("TARNBY_KILL_SEED") or time.time())
        sys.stderr.write("kill moment from seed %d (TARNBY_KILL_SEED)\n" % seed)
        day = today()
        app = self.app_folder()
        self.board(app, args=["--rate", "20", "--fixed", FIXED])
        tarnby = self.tarnby(app)
        seen = self.wait_for_a_record(app, day, "a record of the first run")
        time.sleep(random.Random(seed).uniform(0.0, 0.2))  # the kill moment, not a wait
        tarnby.stop(signal.SIGKILL, 10)
        self.assertEqual(app.read("tarnby.lock"), b"%d\n" % tarnby.pid)  # left, naming the dead
        data = app.read(app.day_log(day))
        self.assertEqual(data[:len(seen)], seen, "records lost or changed by the kill")
        records = parse_records(data)  # fails on a torn or malformed line
        self.assertEqual([fields(r) for r in records], [EXPECTED] * len(records))
        self.assertEqual(app.whours_lines(), [], "a killed program wrote a watt-hour line")

        tarnby = self.tarnby(app)
        self.assertEqual(self.wait_for_a_record(app, day, "a record after the kill")[:len(data)],
                         data)
        self.assertEqual(tarnby.stop(), 0)
        self.assertEqual(len(app.whours_lines()), 1)


if __name__ == "__main__":
    main()
