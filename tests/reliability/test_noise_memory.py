"""Noise at the wrong baud rate for ten seconds: the board sends nothing but garbage without
brackets, as fast as it can (1000 blocks of 60 to 80 bytes a second). The program reads it
all, keeps running and logging (records of zeros, as no frame ever arrives), and its resident
memory stays flat after a warm-up."""

import sys
import time

import reliability_support  # noqa: F401 (finds e2e_support)
from e2e_support import EndToEndCase, main, prog_cfg_bytes, today, wait_until

WARM_UP = 5
NOISE = 10
# The receive buffer keeps at most a few kilobytes of bracket-free text.
MOST_GROWTH_KIB = 2048
ZEROS = {"V": ".00", "I": ".00", "W": ".00", "R": "", "S": ".0", "M": "0"}


class NoiseMemoryTest(EndToEndCase):
    def test_memory_flat_under_noise(self):
        day = today()
        app = self.app_folder(prog_cfg=prog_cfg_bytes(port="1", log_on="1", log_delay="10"))
        board = self.board(app, args=["--noise-only", "--rate", "1000", "--seed", "31"])
        tarnby = self.tarnby(app)
        board.wait_for("reader connected", 15)
        connected = time.monotonic()
        time.sleep(WARM_UP)
        start_kib = tarnby.rss_kib()
        read_before = tarnby.bytes_read()
        samples = []
        while time.monotonic() - connected < WARM_UP + NOISE:
            time.sleep(1)
            samples.append(tarnby.rss_kib())
        read = tarnby.bytes_read() - read_before
        sys.stderr.write("VmRSS %d kB after warm-up, highest %d kB, last %d kB; %d bytes read "
                         "in %d s\n" % (start_kib, max(samples), samples[-1], read, NOISE))
        self.assertTrue(tarnby.alive(), "tarnby ended under noise")
        self.assertLess(max(samples) - start_kib, MOST_GROWTH_KIB,
                        "resident memory grew from %d to %d kB" % (start_kib, max(samples)))
        # The noise really went through the program: about 70 kB/s.
        self.assertGreater(read, 40000 * NOISE)

        records = wait_until(lambda: len(app.records(day)) >= 2 and app.records(day), 15,
                             "two records")
        self.assertEqual(tarnby.stop(), 0)
        board.stop()
        for record in records:
            self.assertEqual({k: record[k] for k in ZEROS}, ZEROS, record)
        stats = board.stats()
        self.assertEqual(stats["frames"], 0)
        self.assertGreater(stats["bytes"], 40000 * NOISE)


if __name__ == "__main__":
    main()
