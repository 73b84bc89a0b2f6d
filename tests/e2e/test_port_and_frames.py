"""The real program on the simulated board's pseudo-terminal: it opens the port named by
ports/COM1, takes in frames without spinning, and an orderly end (SIGTERM) appends the
watt-hour line with the energy of the frames it received."""

import time

from e2e_support import (FIXED, FIXED_WATTS, WHOURS_LINE, EndToEndCase, main, prog_cfg_bytes,
                         wait_until, watt_hour_texts)

# A program that spins on its port uses a whole core; an idle logger uses next to nothing.
MOST_CPU_SHARE = 0.2


class PortAndFramesTest(EndToEndCase):
    def test_opens_port_receives_frames_without_spinning(self):
        app = self.app_folder(prog_cfg=prog_cfg_bytes(port="1", log_on="0"))
        board = self.board(app, args=["--rate", "5", "--fixed", FIXED])
        tarnby = self.tarnby(app)
        started = time.monotonic()

        board.wait_for("reader connected", 15)
        self.assertTrue(tarnby.alive(), "tarnby ended early")
        cpu_before, wall_before = tarnby.cpu_seconds(), time.monotonic()
        time.sleep(5)  # spans at least one five-second energy tick
        share = (tarnby.cpu_seconds() - cpu_before) / (time.monotonic() - wall_before)
        self.assertLess(share, MOST_CPU_SHARE, "tarnby used %.0f%% of a core" % (share * 100))
        self.assertTrue(tarnby.alive(), "tarnby ended while receiving")
        self.assertEqual(app.whours_lines(), [], "a watt-hour line before any end or midnight")

        running = time.monotonic() - started
        self.assertEqual(tarnby.stop(), 0)
        lines = app.whours_lines()
        self.assertEqual(len(lines), 1, lines)
        match = WHOURS_LINE.match(lines[0])
        self.assertIsNotNone(match, lines[0])
        # The total grows by the watts of the last frame every five seconds: 540 W from the
        # board's fixed values, so only frames received whole give these totals.
        total = match.group(2).decode()
        self.assertIn(total, watt_hour_texts(FIXED_WATTS, int(running / 5) + 1) - {".0"},
                      "total %s Wh after %.0f s at 540 W" % (total, running))
        board.stop()
        self.assertGreater(board.stats()["frames"], 0)


if __name__ == "__main__":
    main()
