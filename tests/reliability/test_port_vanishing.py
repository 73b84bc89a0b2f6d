"""The port vanishing while logging: the simulated board is killed (SIGKILL, as an adapter pulled
out), stays away until the next record and comes back on the same link with other values.

While it is away the program stays near idle, its status line says "     possible COMMS
problem" and no message box appears; records keep coming at every interval, repeating the last
averages, and the watt-hour total stands still. When the board is back the port is reopened by
itself and the next records hold the new values."""

import signal
import sys
import time

from desktop import (DESKTOP_ENV, message_boxes, run_on_desktop, status_line, stop_desktop,
                     wait_for_status)

run_on_desktop()

from reliability_support import (EXPECTED, OTHER_EXPECTED, OTHER_FIXED, fields)  # noqa: E402
from e2e_support import (FIXED, EndToEndCase, main, prog_cfg_bytes, today,  # noqa: E402
                         wait_until)

TICK = 10
# A logger waiting for its port does nothing but try to open it every few seconds.
MOST_CPU_SHARE = 0.05
# One five-second tick of 540 W is 0.75 Wh; the two ticks of a ten-second outage would be 1.5.
MOST_WH_AFTER_KILL = 0.75 + 0.1


class PortVanishingTest(EndToEndCase):
    @classmethod
    def tearDownClass(cls):
        stop_desktop()

    def test_board_killed_and_back(self):
        day = today()
        app = self.app_folder(prog_cfg=prog_cfg_bytes(port="1", log_on="1", log_delay="10"))
        board = self.board(app, args=["--rate", "20", "--fixed", FIXED])
        started = time.monotonic()
        tarnby = self.tarnby(app, extra_env=DESKTOP_ENV)
        board.wait_for("reader connected", 15)
        wait_until(lambda: app.records(day), TICK + 10, "the first record", interval=0.1)

        # Right after a record: the next tick falls inside the outage.
        before = app.records(day)
        board.process.send_signal(signal.SIGKILL)
        board.process.wait(10)
        time.sleep(0.5)
        cpu_before, wall_before = tarnby.cpu_seconds(), time.monotonic()
        wait_until(lambda: len(app.records(day)) > len(before), TICK + 10,
                   "a record while the port was gone", interval=0.2)
        share = (tarnby.cpu_seconds() - cpu_before) / (time.monotonic() - wall_before)
        sys.stderr.write("CPU while the port was gone: %.2f%% of one core\n" % (share * 100))
        self.assertLess(share, MOST_CPU_SHARE,
                        "tarnby used %.1f%% of a core while the port was gone" % (share * 100))
        self.assertTrue(tarnby.alive(), "tarnby ended when the port vanished")
        self.assertEqual(status_line(tarnby.pid), "     possible COMMS problem")
        self.assertEqual(message_boxes(tarnby.pid), [], "message boxes during the outage")

        back = self.board(app, args=["--rate", "20", "--fixed", OTHER_FIXED])
        back.wait_for("reader connected", 10)
        wait_until(lambda: any(fields(r) == OTHER_EXPECTED for r in app.records(day)),
                   TICK + 10, "a record of the values sent after the board came back",
                   interval=0.2)
        wait_for_status(tarnby.pid, lambda t: t.startswith("[<V>840</V>"), 5,
                        "a frame of the board that came back")
        records = app.records(day)
        ended = time.monotonic()
        self.assertEqual(message_boxes(tarnby.pid), [])
        self.assertEqual(tarnby.stop(), 0)
        back.stop()
        self.assertGreater(back.stats()["frames"], 0)
        sys.stderr.write("records %s\n" % [(r["T"], r["V"], r["Wh"]) for r in records])

        # Every interval has its record: the outage left no gap.
        most = int((ended - started) / TICK)
        self.assertIn(len(records), (most - 1, most), "records %r over %.0f s" %
                      (records, ended - started))
        # The old values up to the return, then only the new ones: the outage repeated the
        # last averages, and no half frame from before it mixed into the new values.
        values = [fields(r) for r in records]
        first_new = values.index(OTHER_EXPECTED)
        self.assertEqual(values[:first_new], [EXPECTED] * first_new, values)
        self.assertEqual(values[first_new:], [OTHER_EXPECTED] * (len(values) - first_new), values)
        self.assertGreater(first_new, len(before), "no record repeated the last averages")

        # No energy counted while the line was gone.
        last_live = float(before[-1]["Wh"])
        outage = [float(r["Wh"]) for r in records[len(before):first_new]]
        self.assertLessEqual(outage[0] - last_live, MOST_WH_AFTER_KILL, records)
        self.assertEqual(outage, [outage[0]] * len(outage), records)
        self.assertGreater(float(records[first_new]["Wh"]), outage[-1],
                           "no energy counted after the board came back")


if __name__ == "__main__":
    main()
