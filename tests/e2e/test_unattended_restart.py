"""An unattended start before the board's port exists: the recovery's message waits unanswered,
the port appears later, and records are written without anything being answered."""

import os
import time

from e2e_support import FIXED, EndToEndCase, main, prog_cfg_bytes, wait_until


class UnattendedRestartTest(EndToEndCase):
    def test_logging_starts_by_itself_when_the_port_appears(self):
        # Without its link, port N is /dev/ttyS<N-1>: take a number whose device is missing too.
        port = next(n for n in range(2, 100) if not os.path.exists("/dev/ttyS%d" % (n - 1)))
        app = self.app_folder(prog_cfg=prog_cfg_bytes(port=str(port), log_on="1", log_delay="10"))
        tarnby = self.tarnby(app)
        # The board comes late, as a USB adapter that enumerates late (this only sets the scene).
        time.sleep(3)
        self.board(app, port=port, args=["--rate", "5", "--fixed", FIXED])
        records = wait_until(app.all_records, 10 + 15, "a day-log record", interval=0.25)
        self.assertEqual(records[0]["V"], "27.00")
        self.assertTrue(tarnby.alive())
        self.assertEqual(tarnby.stop(), 0)


if __name__ == "__main__":
    main()
