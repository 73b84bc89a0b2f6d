"""The sample configuration placed beside the program by the build: exact bytes, never over
the user's own files, and a logs folder."""

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


def place(destination):
    subprocess.run([os.environ.get("CMAKE_COMMAND", "cmake"),
                    "-DSAMPLES=" + os.path.join(SOURCE_DIR, "samples"),
                    "-DDESTINATION=" + destination,
                    "-P", os.path.join(SOURCE_DIR, "cmake", "PlaceSamples.cmake")], check=True)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class SamplesTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(prefix="tarnby-samples-")
        self.addCleanup(self.dir.cleanup)
        self.bin = os.path.join(self.dir.name, "bin")

    def test_fresh_folder_gets_exact_samples_and_logs(self):
        place(self.bin)
        self.assertEqual(read(os.path.join(self.bin, "prog.cfg")), PROG_CFG)
        self.assertEqual(read(os.path.join(self.bin, "settings.cfg")), SETTINGS_CFG)
        self.assertTrue(os.path.isdir(os.path.join(self.bin, "logs")))

    def test_existing_files_are_never_replaced(self):
        os.makedirs(os.path.join(self.bin, "logs"))
        mine = b"Program Config File\r\n\r\n<Port>3</Port>\r\n"
        with open(os.path.join(self.bin, "prog.cfg"), "wb") as f:
            f.write(mine)
        with open(os.path.join(self.bin, "logs", "P_2026_12_06.txt"), "wb") as f:
            f.write(b"kept")
        place(self.bin)
        self.assertEqual(read(os.path.join(self.bin, "prog.cfg")), mine)
        self.assertEqual(read(os.path.join(self.bin, "settings.cfg")), SETTINGS_CFG)
        self.assertEqual(read(os.path.join(self.bin, "logs", "P_2026_12_06.txt")), b"kept")

    def test_build_placed_them_beside_the_program(self):
        for name in ("prog.cfg", "settings.cfg"):
            self.assertTrue(os.path.isfile(os.path.join(BIN_DIR, name)), name)
        self.assertTrue(os.path.isdir(os.path.join(BIN_DIR, "logs")))


if __name__ == "__main__":
    main()
