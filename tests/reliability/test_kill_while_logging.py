"""kill -9 at random moments while logging at the shortest interval (10 s): three runs of the
real program against the board, each killed after a random time, then one run ended in order.
After every kill each line of the day log is a whole record, the program's own loader loads
them all, and no interval that ended before a kill is missing; the next run takes the port
over (a killed program leaves its lock file behind) and appends after the earlier lines.

TARNBY_KILL_SEED=<number> repeats a run's kill moments."""

import os
import random
import signal
import sys
import time

from reliability_support import EXPECTED, fields, load_day_log
from e2e_support import (FIXED, EndToEndCase, main, parse_records, prog_cfg_bytes, today,
                         wait_until)

TICK = 10
KILLS = 3
# Logging starts as the port opens: records fall due within this long of whole intervals after.
MOST_LATE = 1.0


class KillWhileLoggingTest(EndToEndCase):
    def check_day_log(self, app, day, what):
        data = app.read(app.day_log(day)) or b""
        records = parse_records(data)  # fails on a torn or malformed line
        if not os.path.exists(app.file(app.day_log(day))):
            return data, records
        outcome, loaded = load_day_log(app.file(app.day_log(day)))
        self.assertEqual(outcome, "Loaded" if records else "NoData", what)
        self.assertEqual(len(loaded), len(records), "%s: the loader kept %d of %d records" %
                         (what, len(loaded), len(records)))
        for record, kept in zip(records, loaded):
            self.assertEqual(fields(record), EXPECTED, what)
            hours, minutes = record["T"].split(":")
            self.assertEqual(kept, [str(int(hours) * 3600 + int(minutes) * 60), "27.00",
                                    "20.00", "540.00", "250", "12.5"], what)
        return data, records

    def test_records_whole_after_each_kill(self):
        seed = int(os.environ.get("TARNBY_KILL_SEED") or time.time())
        sys.stderr.write("kill moments from seed %d (TARNBY_KILL_SEED)\n" % seed)
        rng = random.Random(seed)
        day = today()
        app = self.app_folder(prog_cfg=prog_cfg_bytes(port="1", log_on="1", log_delay="10"))
        board = self.board(app, args=["--rate", "20", "--fixed", FIXED])

        fewest = most = 0
        data = b""
        for run in range(1, KILLS + 1):
            # Half the runs are killed close to a tick, where a record is being written.
            near_tick = TICK * rng.choice((1, 1, 2)) + rng.uniform(0.0, 0.6)
            lifetime = rng.uniform(8.0, 16.0) if run % 2 else near_tick
            started = time.monotonic()
            tarnby = self.tarnby(app)
            board.wait_for("reader connected", 10, occurrences=run)
            connected = time.monotonic()
            time.sleep(lifetime)
            os.kill(tarnby.pid, signal.SIGKILL)
            tarnby.process.wait(10)
            lived = time.monotonic() - started
            fewest += max(0, int((time.monotonic() - connected - MOST_LATE) / TICK))
            most += int(lived / TICK)
            what = "after kill %d at %.2f s" % (run, lived)
            earlier = data
            data, records = self.check_day_log(app, day, what)
            self.assertEqual(data[:len(earlier)], earlier, what + ": earlier lines changed")
            self.assertGreaterEqual(len(records), fewest, what + ": records missing")
            self.assertLessEqual(len(records), most, what)
            # Killed programs write no watt-hour line; nothing half written either.
            self.assertEqual(app.whours_lines(), [], what)

        # An orderly run afterwards carries on in the same file.
        tarnby = self.tarnby(app)
        board.wait_for("reader connected", 10, occurrences=KILLS + 1)
        wait_until(lambda: len(app.records(day)) > len(records), TICK + 10,
                   "a record of the run after the kills", interval=0.2)
        self.assertEqual(tarnby.stop(), 0)
        final, _ = self.check_day_log(app, day, "after the orderly run")
        self.assertEqual(final[:len(data)], data)
        self.assertEqual(len(app.whours_lines()), 1)


if __name__ == "__main__":
    main()
