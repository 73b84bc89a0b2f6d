"""The simulated sensor board on its own: the link it makes, the line it sends, and how it
behaves towards readers that come and go. The other end-to-end tests rely on all of this."""

import os
import re
import signal
import tempfile
import termios

from e2e_support import (FIXED, SOURCE_DIR, EndToEndCase, PortReader, main, wait_until)

FRAME = re.compile(rb"\[<V>([^<]*)</V><I>([^<]*)</I><R>([^<]*)</R><M>([^<]*)</M><S>([^<]*)</S>\]\r\n")


def sample_factors():
    with open(os.path.join(SOURCE_DIR, "samples", "settings.cfg"), "rb") as f:
        text = f.read().decode("ascii")
    return {key: float(re.search("<%s>(.*?)</%s>" % (key, key), text).group(1))
            for key in ("VoltDivider", "VoltOffset", "AmpDivider", "RPMDivider", "WSDivider")}


class BoardTest(EndToEndCase):
    def folder(self):
        folder = tempfile.TemporaryDirectory(prefix="tarnby-board-test-")
        self.addCleanup(folder.cleanup)
        return folder.name

    def reader(self, board):
        reader = PortReader(board.link)
        self.addCleanup(reader.close)
        return reader

    def test_link_made_raw_and_removed_on_sigterm(self):
        folder = self.folder()
        board = self.board(folder, port=4, args=["--rate", "20", "--fixed", FIXED])
        self.assertTrue(os.path.islink(board.link), "ports/COM4 is not a symbolic link")
        self.assertTrue(os.readlink(board.link).startswith("/dev/pts/"))
        reader = self.reader(board)
        attributes = termios.tcgetattr(reader.fd)
        self.assertEqual(attributes[3] & (termios.ICANON | termios.ECHO | termios.ISIG), 0,
                         "slave side not in raw mode")
        self.assertEqual(attributes[0] & (termios.ICRNL | termios.INLCR | termios.IGNCR), 0,
                         "CR LF would be translated")
        data = reader.read_until(lambda d: d.count(b"\r\n") >= 3, 5, "three frames")
        # Whole frames from the first byte: the reader gets a clean stream.
        self.assertTrue(data.startswith(b"[<V>810</V><I>912</I><R>50</R><M>215</M><S>25</S>]\r\n"),
                        data[:100])
        self.assertEqual(board.stop(), 0)
        self.assertFalse(os.path.lexists(board.link), "link left behind after SIGTERM")

    def test_profile_is_plausible_under_the_sample_calibration(self):
        factors = sample_factors()
        board = self.board(self.folder(), args=["--rate", "50", "--seed", "11"])
        data = self.reader(board).read_until(lambda d: d.count(b"\r\n") >= 150, 10, "150 frames")
        frames = FRAME.findall(data)
        self.assertGreaterEqual(len(frames), 150)
        volts, amps, rpm, wind = [], [], [], []
        for v, i, r, m, s in frames:
            volts.append(float(v) / factors["VoltDivider"])
            amps.append((float(i) - factors["VoltOffset"]) / factors["AmpDivider"])
            rpm.append(float(r) / factors["RPMDivider"] * 60)
            wind.append(float(s) / factors["WSDivider"])
        self.assertTrue(all(23 <= x <= 30 for x in volts), (min(volts), max(volts)))
        self.assertTrue(all(-0.5 <= x <= 21 for x in amps), (min(amps), max(amps)))
        self.assertTrue(all(0 <= x <= 500 for x in rpm), (min(rpm), max(rpm)))
        self.assertTrue(all(0 <= x <= 60 for x in wind), (min(wind), max(wind)))
        self.assertGreater(len(set(wind)), 3, "wind does not vary")

    def test_count_and_stats_match_the_line(self):
        board = self.board(self.folder(),
                           args=["--rate", "100", "--count", "60", "--hold", "--seed", "3",
                                 "--split", "--bad-every", "4", "--noise"])
        reader = self.reader(board)
        reader.read_until(lambda d: "sent 60 frames" in board.output(), 10, "60 frames")
        data = reader.read_for(0.3)
        self.assertEqual(board.stop(), 0)
        stats = board.stats()
        self.assertEqual(stats["frames"], 60)
        self.assertEqual(stats["bytes"], len(data))
        # Frames 4, 8, ... 60 are damaged, the kinds in turn: V "0" (4), lower-case tags (4),
        # closing tag first (4), letters for V (3, accepted with V = 0).
        self.assertEqual(stats["accepted"], 45 + 3)
        self.assertEqual(stats["dropped"], 8)
        self.assertEqual(stats["corrupt"], 4)
        self.assertEqual(data.count(b"["), 60)
        self.assertEqual(data.count(b"]"), 60)
        good = FRAME.findall(data)
        self.assertEqual(len(good), 45 + 4 + 3)  # good, V "0" and letters share the shape
        sums = [0.0] * 5
        for values in good:
            if values[0] == b"0":
                continue
            for k, value in enumerate(values):
                sums[k] += float(value) if re.fullmatch(rb"[0-9.]+", value) else 0
        for k, key in enumerate("VIRMS"):
            self.assertAlmostEqual(stats["sum_" + key], sums[k], places=6, msg=key)
        self.assertGreater(stats["noise_bytes"], 0)
        self.assertGreater(len(reader.reads), 60, "frames were not split into pieces")
        self.assertTrue(any(re.search(rb"\][^\[]*\[", chunk) for chunk in reader.reads),
                        "no read held a frame's tail with the next frame's head")

    def test_noise_only_has_no_brackets(self):
        board = self.board(self.folder(), args=["--rate", "50", "--noise-only"])
        data = self.reader(board).read_until(lambda d: len(d) >= 2000, 10, "2000 bytes")
        self.assertNotIn(b"[", data)
        self.assertNotIn(b"]", data)

    def test_reader_that_leaves_and_comes_back_gets_a_clean_stream(self):
        board = self.board(self.folder(), args=["--rate", "50", "--fixed", FIXED, "--split"])
        first = PortReader(board.link)
        first.read_until(lambda d: d.count(b"\r\n") >= 5, 5, "frames for the first reader")
        # Leaves unread bytes and maybe half a frame behind; the next reader opens at once, as
        # a restarted program does, and is still seen as a new one.
        first.close()
        second = self.reader(board)
        board.wait_for("reader connected", 5, occurrences=2)
        self.assertIn("reader gone", board.output())
        data = second.read_until(lambda d: d.count(b"\r\n") >= 5, 5, "frames for the second reader")
        self.assertTrue(data.startswith(b"[<V>810</V>"), data[:60])
        self.assertIsNone(board.process.poll(), "board died when its reader left")
        self.assertEqual(len(FRAME.findall(data)), data.count(b"\r\n"))

    def test_stale_link_is_replaced_and_a_real_file_is_left_alone(self):
        folder = self.folder()
        os.mkdir(os.path.join(folder, "ports"))
        os.symlink("/dev/pts/does-not-exist", os.path.join(folder, "ports", "COM2"))
        board = self.board(folder, port=2, args=["--rate", "5"])
        self.assertTrue(os.readlink(board.link).startswith("/dev/pts/"))
        os.kill(board.process.pid, signal.SIGKILL)
        board.process.wait()
        self.assertTrue(os.path.lexists(board.link))  # a killed board cannot tidy up
        again = self.board(folder, port=2, args=["--rate", "5"])
        self.assertTrue(os.path.exists(again.link), "link does not lead to the new terminal")

        with open(os.path.join(folder, "ports", "COM3"), "w") as f:
            f.write("not a link")
        with self.assertRaises(AssertionError):
            self.board(folder, port=3)
        with open(os.path.join(folder, "ports", "COM3")) as f:
            self.assertEqual(f.read(), "not a link")

    def test_no_frames_are_counted_while_nobody_listens(self):
        board = self.board(self.folder(), args=["--rate", "50"])
        wait_until(lambda: True, 0.5, "a pause")
        board.stop()
        stats = board.stats()
        self.assertEqual(stats["frames"], 0)
        self.assertEqual(stats["bytes"], 0)


if __name__ == "__main__":
    main()
