"""The board killed (an adapter pulled out) for two records, then back with other values:
meanwhile the program stays near idle, says "     possible COMMS problem" without a message box
and records the last averages with the total standing still; then it reopens the port itself."""

import signal
import time

from desktop import DESKTOP_ENV, message_boxes, run_on_desktop, wait_for_status
from e2e_support import EXPECTED, FIXED, EndToEndCase, fields, main, today, wait_until

TICK = 10
# A logger waiting for its port does nothing but try to open it every few seconds.
MOST_CPU_SHARE = 0.05
# The values another board sends: 840 / 30, (1012 - 512) / 20, 60 / 12 * 60, 30 / 2.
OTHER_FIXED = "840,1012,60,215,30"
OTHER_EXPECTED = {"V": "28.00", "I": "25.00", "W": "700.00", "R": "300", "S": "15.0", "M": "0"}


class PortVanishingTest(EndToEndCase):
    def test_board_killed_and_back(self):
        day = today()
        app = self.app_folder()
        board = self.board(app, args=["--rate", "20", "--fixed", FIXED])
        tarnby = self.tarnby(app, extra_env=DESKTOP_ENV)
        before = wait_until(lambda: app.records(day), TICK + 15, "the first record")

        board.stop(signal.SIGKILL)
        wait_for_status(tarnby.pid, lambda t: t == "     possible COMMS problem", 15, "the loss")
        # Two records once the loss is seen: the second covers a whole interval without a port.
        cpu_before, wall_before = tarnby.cpu_seconds(), time.monotonic()
        gone = len(app.records(day))
        wait_until(lambda: len(app.records(day)) > gone + 1, 2 * TICK + 10,
                   "two records while the port was gone")
        share = (tarnby.cpu_seconds() - cpu_before) / (time.monotonic() - wall_before)
        self.assertLess(share, MOST_CPU_SHARE, "%.1f%% of a core with no port" % (share * 100))
        self.assertEqual(message_boxes(tarnby.pid), [], "message boxes during the outage")

        self.board(app, args=["--rate", "20", "--fixed", OTHER_FIXED])
        wait_until(lambda: OTHER_EXPECTED in [fields(r) for r in app.records(day)], TICK + 10,
                   "a record of the values sent after the board came back")
        wait_for_status(tarnby.pid, lambda t: t.startswith("[<V>840</V>"), 5, "a new frame")
        records = app.records(day)
        self.assertEqual(message_boxes(tarnby.pid), [])
        self.assertEqual(tarnby.stop(), 0)

        # The old values up to the return, then only the new ones: the outage repeated the
        # last averages, and no half frame from before it mixed into the new values.
        values = [fields(r) for r in records]
        first_new = values.index(OTHER_EXPECTED)
        self.assertGreater(first_new, len(before), "no record repeated the last averages")
        self.assertEqual(values[first_new:], [OTHER_EXPECTED] * (len(values) - first_new))
        self.assertEqual(values[:first_new], [EXPECTED] * first_new)
        # No energy counted while the line was gone: the total stands still from the first
        # record after the loss was seen until the board is back.
        outage = [float(r["Wh"]) for r in records[gone:first_new]]
        self.assertGreaterEqual(len(outage), 2, records)
        self.assertEqual(outage, [outage[0]] * len(outage), records)
        self.assertGreater(float(records[first_new]["Wh"]), outage[-1])


if __name__ == "__main__":
    run_on_desktop()
    main()
