"""Noise at the wrong baud rate (1000 bracket-free blocks a second): the program reads it all,
logs records of zeros, and its resident memory stays flat after the first stretch of noise."""

import os

from e2e_support import EndToEndCase, main, today, wait_until

WARM_UP_BYTES = 200000
NOISE_BYTES = 800000
MOST_GROWTH_KIB = 512  # the receive buffer keeps a few kilobytes at most
ZEROS = {"V": ".00", "I": ".00", "W": ".00", "R": "", "S": ".0", "M": "0"}


class NoiseMemoryTest(EndToEndCase):
    def test_memory_flat_under_noise(self):
        day = today()
        app = self.app_folder()
        board = self.board(app, args=["--noise-only", "--rate", "1000", "--seed", "31"])
        # A sanitizer build holds freed memory back to catch late uses: that is not growth.
        asan = os.environ.get("ASAN_OPTIONS", "") + ":quarantine_size_mb=0"
        tarnby = self.tarnby(app, extra_env={"ASAN_OPTIONS": asan})
        board.wait_for("reader connected", 15)
        start = tarnby.bytes_read()
        wait_until(lambda: tarnby.bytes_read() - start > WARM_UP_BYTES, 20, "the first noise read")
        start_kib, read_before = tarnby.rss_kib(), tarnby.bytes_read()
        samples = []

        def noise_read_and_a_record():
            samples.append(tarnby.rss_kib())
            return tarnby.bytes_read() - read_before > NOISE_BYTES and app.records(day)
        records = wait_until(noise_read_and_a_record, 30, "the noise read and a record",
                             interval=0.25)
        self.assertLess(max(samples) - start_kib, MOST_GROWTH_KIB,
                        "VmRSS %d kB after warm-up, highest %d kB" % (start_kib, max(samples)))
        self.assertEqual(tarnby.stop(), 0)
        board.stop()
        self.assertEqual([{k: r[k] for k in ZEROS} for r in records], [ZEROS] * len(records))
        self.assertEqual(board.stats()["frames"], 0)


if __name__ == "__main__":
    main()
