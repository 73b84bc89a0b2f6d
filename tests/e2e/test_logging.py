"""The real program logging every 10 s from the simulated board: split, damaged and noisy frames
are each taken in once and without spinning (every record holds the averages of the values
sent; an orderly end appends one watt-hour line), and a run across midnight under libfaketime
writes records into both days' files and exactly one midnight line with the old day's total."""

import datetime
import glob
import time

from e2e_support import (EXPECTED, FIXED, FIXED_WATTS, WHOURS_LINE, EndToEndCase, fields, main,
                         today, wait_until, watt_hour_texts)

# A program that spins on its port uses a whole core; a logger at 5 frames a second next to none.
MOST_CPU_SHARE = 0.2


class LoggingTest(EndToEndCase):
    def test_split_damaged_and_noisy_frames_logged_once(self):
        app = self.app_folder()
        board = self.board(app, args=["--rate", "5", "--fixed", FIXED, "--split", "--noise",
                                      "--seed", "22", "--bad-every", "3",
                                      "--bad-kinds", "zero,lower,closing"])
        started = time.monotonic()
        tarnby = self.tarnby(app)
        board.wait_for("reader connected", 15)
        cpu_before, wall_before = tarnby.cpu_seconds(), time.monotonic()
        records = wait_until(app.all_records, 25, "a day-log record", interval=0.25)
        share = (tarnby.cpu_seconds() - cpu_before) / (time.monotonic() - wall_before)
        self.assertLess(share, MOST_CPU_SHARE, "tarnby used %.0f%% of a core" % (share * 100))
        self.assertEqual(app.whours_lines(), [], "a watt-hour line before any end or midnight")
        running = time.monotonic() - started
        self.assertEqual(tarnby.stop(), 0)
        for number, record in enumerate(records, 1):
            self.assertEqual(fields(record), EXPECTED, "record %d" % number)
            self.assertIn(record["Wh"], watt_hour_texts(FIXED_WATTS, 2 * number + 2))
        # The total grows by the watts of the last frame every five seconds: only frames
        # received whole give these totals.
        (line,) = app.whours_lines()
        total = WHOURS_LINE.match(line).group(2).decode()
        self.assertIn(total, watt_hour_texts(FIXED_WATTS, int(running / 5) + 1) - {".0"})
        board.stop()
        self.assertTrue(board.stats()["dropped"] > 0 and board.stats()["corrupt"] > 0)

    def test_records_in_both_days_and_one_midnight_line(self):
        library = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
        self.assertTrue(library, "no libfaketime.so.1: run scripts/install-deps")
        day = today()
        next_day = day + datetime.timedelta(days=1)
        app = self.app_folder()
        self.board(app, args=["--rate", "5", "--fixed", FIXED])
        tarnby = self.tarnby(app, extra_env={"LD_PRELOAD": library[0],
                                             "FAKETIME": "@%s 23:59:45" % day.isoformat(),
                                             "FAKETIME_DONT_FAKE_MONOTONIC": "1"})
        # The second record of the new day comes well after 00:00:10: a second tick in the
        # first seconds after midnight would have written a second line by then.
        wait_until(lambda: len(app.records(next_day)) >= 2, 60, "two records of the next day",
                   interval=0.25)
        before_end = app.whours_lines()
        self.assertEqual(tarnby.stop(), 0)
        first_day, second_day = app.records(day), app.records(next_day)
        self.assertEqual({r["T"] for r in first_day}, {"23:59"})
        self.assertEqual({r["T"] for r in second_day}, {"00:00"})
        self.assertEqual([fields(r) for r in first_day + second_day],
                         [EXPECTED] * (len(first_day) + len(second_day)))
        lines = app.whours_lines()
        self.assertEqual((len(lines), lines[:1]), (2, before_end), lines)
        midnight, end = (WHOURS_LINE.match(line).groups() for line in lines)
        # The old day's total: at most three five-second ticks at 540 W before midnight; then
        # the total restarted, and only the new day's ticks count.
        self.assertEqual((midnight[0], end[0]), (b"00:00", b"00:00"))
        self.assertIn(midnight[1].decode(), watt_hour_texts(FIXED_WATTS, 3) - {".0"})
        self.assertIn(end[1].decode(), watt_hour_texts(FIXED_WATTS, 5))


if __name__ == "__main__":
    main()
