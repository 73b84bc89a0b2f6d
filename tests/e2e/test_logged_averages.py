"""Frames arriving in random pieces (a frame's tail often riding with the next frame's head),
with damaged frames and line noise mixed in, are logged: with LogOn 1 and LogDelay 10, every
record holds the averages of the fixed values the board sends, byte for byte; the frames a
receiver drops or finds corrupt leave the averages of the good ones untouched."""

from e2e_support import (FIXED, FIXED_WATTS, EndToEndCase, main, prog_cfg_bytes, wait_until,
                         watt_hour_texts)

EXPECTED = {"V": "27.00", "I": "20.00", "W": "540.00", "R": "250", "S": "12.5", "M": "0"}
RECORDS = 2


class LoggedAveragesTest(EndToEndCase):
    def test_split_damaged_and_noisy_frames_average_to_the_values_sent(self):
        app = self.app_folder(prog_cfg=prog_cfg_bytes(port="1", log_on="1", log_delay="10"))
        board = self.board(app, args=["--rate", "5", "--fixed", FIXED, "--split", "--noise",
                                      "--seed", "22", "--bad-every", "3",
                                      "--bad-kinds", "zero,lower,closing"])
        tarnby = self.tarnby(app)
        board.wait_for("reader connected", 15)
        records = wait_until(lambda: len(app.all_records()) >= RECORDS and app.all_records(),
                             10 * RECORDS + 15, "%d day-log records" % RECORDS, interval=0.25)
        self.assertTrue(tarnby.alive())
        self.assertEqual(tarnby.stop(), 0)
        board.stop()
        self.assertGreaterEqual(len(records), RECORDS)
        for number, record in enumerate(records, 1):
            for key, text in EXPECTED.items():
                self.assertEqual(record[key], text, "record %d, field %s: %r" % (number, key, record))
            self.assertIn(record["Wh"], watt_hour_texts(FIXED_WATTS, 10 * number // 5 + 2))
        stats = board.stats()
        self.assertGreater(stats["frames"], 5 * 10)
        self.assertGreater(stats["dropped"], 0)
        self.assertGreater(stats["corrupt"], 0)


if __name__ == "__main__":
    main()
