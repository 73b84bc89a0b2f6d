"""A run that crosses midnight, under libfaketime from 23:59:45 with real timer pace: records
land in both days' files, and Whours.txt gets exactly one line at midnight (then the line of
the orderly end)."""

import datetime
import time

from e2e_support import (FIXED, FIXED_WATTS, WHOURS_LINE, EndToEndCase, faketime_library,
                         main, prog_cfg_bytes, wait_until, watt_hour_texts)


class MidnightTest(EndToEndCase):
    def test_records_in_both_days_and_one_midnight_line(self):
        library = faketime_library()
        day = datetime.date.today()
        next_day = day + datetime.timedelta(days=1)
        app = self.app_folder(prog_cfg=prog_cfg_bytes(port="1", log_on="1", log_delay="10"))
        board = self.board(app, args=["--rate", "5", "--fixed", FIXED])
        tarnby = self.tarnby(app, extra_env={
            "LD_PRELOAD": library,
            "FAKETIME": "@%s 23:59:45" % day.isoformat(),
            "FAKETIME_DONT_FAKE_MONOTONIC": "1",
        })
        started = time.monotonic()
        board.wait_for("reader connected", 15)

        wait_until(lambda: app.records(next_day), 40, "a record in the next day's file",
                   interval=0.25)
        # Stay until well past 00:00:10, where a second tick in the first ten seconds after
        # midnight would have written a second line.
        time.sleep(max(0.0, 28 - (time.monotonic() - started)))
        before_end = app.whours_lines()
        self.assertEqual(tarnby.stop(), 0)
        board.stop()

        first_day, second_day = app.records(day), app.records(next_day)
        self.assertGreaterEqual(len(first_day), 1)
        self.assertGreaterEqual(len(second_day), 1)
        self.assertTrue(all(r["T"] == "23:59" for r in first_day), first_day)
        self.assertTrue(all(r["T"].startswith("00:0") for r in second_day), second_day)
        for record in first_day + second_day:
            self.assertEqual((record["V"], record["I"], record["W"]), ("27.00", "20.00", "540.00"))

        self.assertEqual(len(before_end), 1, "midnight lines: %r" % before_end)
        midnight = WHOURS_LINE.match(before_end[0])
        self.assertIsNotNone(midnight, before_end[0])
        self.assertEqual(midnight.group(1), b"00:00")
        # The day's total: at most three five-second ticks at 540 W before midnight.
        self.assertIn(midnight.group(2).decode(), watt_hour_texts(FIXED_WATTS, 3) - {".0"})

        lines = app.whours_lines()
        self.assertEqual(len(lines), 2, lines)
        self.assertEqual(lines[0], before_end[0])
        end = WHOURS_LINE.match(lines[1])
        self.assertIsNotNone(end, lines[1])
        self.assertEqual(end.group(1), b"00:00")
        # The total restarted at midnight: only this day's ticks count.
        self.assertIn(end.group(2).decode(), watt_hour_texts(FIXED_WATTS, 4))


if __name__ == "__main__":
    main()
