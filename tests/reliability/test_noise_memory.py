"""Noise at the wrong baud rate: the board sends nothing but garbage without brackets as fast as
it can (1000 blocks of 60 to 80 bytes a second). The program reads it all, keeps running and
logging (a record of zeros, as no frame ever arrives), and its resident memory stays flat once
it has read its first stretch of noise."""

import sys

from e2e_support import EndToEndCase, main, today, wait_until

WARM_UP_BYTES = 200000
NOISE_BYTES = 800000
# The receive buffer keeps at most a few kilobytes of bracket-free text; kept noise would show.
MOST_GROWTH_KIB = 512
ZEROS = {"V": ".00", "I": ".00", "W": ".00", "R": "", "S": ".0", "M": "0"}


class NoiseMemoryTest(EndToEndCase):
    def test_memory_flat_under_noise(self):
        day = today()
        app = self.app_folder()
        board = self.board(app, args=["--noise-only", "--rate", "1000", "--seed", "31"])
        tarnby = self.tarnby(app)
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
        sys.stderr.write("VmRSS %d kB after warm-up, highest %d kB, last %d kB\n" %
                         (start_kib, max(samples), samples[-1]))
        self.assertLess(max(samples) - start_kib, MOST_GROWTH_KIB)
        self.assertEqual(tarnby.stop(), 0)
        board.stop()
        self.assertEqual([{k: r[k] for k in ZEROS} for r in records], [ZEROS] * len(records))
        self.assertEqual(board.stats()["frames"], 0)


if __name__ == "__main__":
    main()
