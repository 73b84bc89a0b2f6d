"""The sample configuration placed beside the program by the build, never over the user's."""

import os
import subprocess
import tempfile
import unittest
from pathlib import Path

from e2e_support import BIN_DIR, SOURCE_DIR, main

PROG_CFG = (b"Program Config File\r\n\r\n<Port>1</Port>\r\n<Savehtml>0</Savehtml>\r\n"
            b"<SaveExcel>0</SaveExcel>\r\n<LogDelay>60</LogDelay>\r\n<LogOn>0</LogOn>\r\n"
            b"<DisplayRPM>1</DisplayRPM>\r\n<DisplayWS>1</DisplayWS>\r\n<WSUnits>MPH</WSUnits>\r\n"
            b"<SV>24</SV>\r\n<MA>20</MA>\r\n<BR>4800</BR>\r\n\r\n")
SETTINGS_CFG = (b"Calibration Settings\r\n\r\n\r\n<VoltDivider>30</VoltDivider>\r\n"
                b"<VoltOffset>512</VoltOffset>\r\n<AmpDivider>20</AmpDivider>\r\n"
                b"<RPMDivider>12</RPMDivider>\r\n<WSDivider>2</WSDivider>\r\n")


def files(folder):
    return [Path(folder, name).read_bytes() for name in ("prog.cfg", "settings.cfg")]


class SamplesTest(unittest.TestCase):
    def test_placed_beside_the_program_and_never_over_the_users_files(self):
        self.assertEqual(files(BIN_DIR), [PROG_CFG, SETTINGS_CFG])
        self.assertTrue(Path(BIN_DIR, "logs").is_dir())
        with tempfile.TemporaryDirectory() as folder:
            Path(folder, "prog.cfg").write_bytes(b"<Port>3</Port>\r\n")
            subprocess.run([os.environ.get("CMAKE_COMMAND", "cmake"), "-DDESTINATION=" + folder,
                            "-DSAMPLES=%s/samples" % SOURCE_DIR,
                            "-P", SOURCE_DIR + "/cmake/PlaceSamples.cmake"], check=True)
            self.assertEqual(files(folder), [b"<Port>3</Port>\r\n", SETTINGS_CFG])


if __name__ == "__main__":
    main()
