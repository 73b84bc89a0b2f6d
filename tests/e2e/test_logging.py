"""The real program logging every 10 s: split, damaged and noisy frames taken in once without
spinning, and a run across midnight under libfaketime (records in both days' files, one
midnight line with the old day's total)."""

import datetime
import glob
import time

from e2e_support import (EXPECTED, FIXED, WHOURS_LINE, EndToEndCase, fields, main,
                         today, wait_until, watt_hour_texts)

MOST_CPU_SHARE = 0.2  # a program spinning on its port uses a whole core


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
        self.assertEqual([fields(r) for r in records], [EXPECTED] * len(records))
        self.assertTrue(all(r["Wh"] in watt_hour_texts(2 * n + 2)
                            for n, r in enumerate(records, 1)), records)
        # Every five seconds the total grows by the last frame's watts: only whole frames fit.
        (line,) = app.whours_lines()
        total = WHOURS_LINE.match(line).group(2).decode()
        self.assertIn(total, watt_hour_texts(int(running / 5) + 1) - {".0"})
        board.stop()
        self.assertTrue(board.stats()["dropped"] and board.stats()["corrupt"], board.stats())

    def test_records_in_both_days_and_one_midnight_line(self):
        library = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
        self.assertTrue(library, "no libfaketime.so.1: run scripts/install-deps")
        day, next_day = today(), today() + datetime.timedelta(days=1)
        app = self.app_folder()
        self.board(app, args=["--rate", "5", "--fixed", FIXED])
        tarnby = self.tarnby(app, extra_env={"LD_PRELOAD": library[0],
                                             "FAKETIME": "@%s 23:59:45" % day.isoformat(),
                                             "FAKETIME_DONT_FAKE_MONOTONIC": "1"})
        # Well after 00:00:10: a second midnight tick would have written its line by then.
        wait_until(lambda: len(app.records(next_day)) >= 2, 60, "two records of the next day",
                   interval=0.25)
        before_end = app.whours_lines()
        self.assertEqual(tarnby.stop(), 0)
        first_day, second_day = app.records(day), app.records(next_day)
        self.assertTrue(first_day)
        self.assertEqual([(r["T"], fields(r)) for r in first_day + second_day],
                         [("23:59", EXPECTED)] * len(first_day)
                         + [("00:00", EXPECTED)] * len(second_day))
        lines = app.whours_lines()
        self.assertEqual((len(lines), lines[:1]), (2, before_end), lines)
        midnight, end = (WHOURS_LINE.match(line).groups() for line in lines)
        # At most three ticks before midnight; then the total restarts.
        self.assertEqual((midnight[0], end[0]), (b"00:00", b"00:00"))
        self.assertIn(midnight[1].decode(), watt_hour_texts(3) - {".0"})
        self.assertIn(end[1].decode(), watt_hour_texts(5))


if __name__ == "__main__":
    main()
