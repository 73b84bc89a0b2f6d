"""The sample configuration placed beside the program by the build: exact bytes and a logs
folder, never over the user's own files."""

import os
import subprocess
import tempfile
import unittest

from e2e_support import BIN_DIR, SOURCE_DIR, main

PROG_CFG = (b"Program Config File\r\n\r\n<Port>1</Port>\r\n<Savehtml>0</Savehtml>\r\n"
            b"<SaveExcel>0</SaveExcel>\r\n<LogDelay>60</LogDelay>\r\n<LogOn>0</LogOn>\r\n"
            b"<DisplayRPM>1</DisplayRPM>\r\n<DisplayWS>1</DisplayWS>\r\n<WSUnits>MPH</WSUnits>\r\n"
            b"<SV>24</SV>\r\n<MA>20</MA>\r\n<BR>4800</BR>\r\n\r\n")
SETTINGS_CFG = (b"Calibration Settings\r\n\r\n\r\n<VoltDivider>30</VoltDivider>\r\n"
                b"<VoltOffset>512</VoltOffset>\r\n<AmpDivider>20</AmpDivider>\r\n"
                b"<RPMDivider>12</RPMDivider>\r\n<WSDivider>2</WSDivider>\r\n")


def read(*path):
    with open(os.path.join(*path), "rb") as f:
        return f.read()


class SamplesTest(unittest.TestCase):
    def test_placed_beside_the_program_and_never_over_the_users_files(self):
        self.assertEqual((read(BIN_DIR, "prog.cfg"), read(BIN_DIR, "settings.cfg")),
                         (PROG_CFG, SETTINGS_CFG))
        self.assertTrue(os.path.isdir(os.path.join(BIN_DIR, "logs")))
        with tempfile.TemporaryDirectory(prefix="tarnby-samples-") as folder:
            with open(os.path.join(folder, "prog.cfg"), "wb") as f:
                f.write(b"<Port>3</Port>\r\n")
            subprocess.run([os.environ.get("CMAKE_COMMAND", "cmake"), "-DDESTINATION=" + folder,
                            "-DSAMPLES=" + os.path.join(SOURCE_DIR, "samples"),
                            "-P", os.path.join(SOURCE_DIR, "cmake", "PlaceSamples.cmake")],
                           check=True)
            self.assertEqual(read(folder, "prog.cfg"), b"<Port>3</Port>\r\n")
            self.assertEqual(read(folder, "settings.cfg"), SETTINGS_CFG)


if __name__ == "__main__":
    main()
