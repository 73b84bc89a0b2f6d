"""The simulated sensor board on its own, as the other end-to-end tests rely on it: split,
damaged and noisy frames counted as they were sent, and a reader that leaves and comes back at
once (as a restarted program does) seen as a new one and given whole frames."""

import re
import tempfile

from e2e_support import FIXED, EndToEndCase, PortReader, main

FRAME = re.compile(rb"\[<V>([^<]*)</V><I>([^<]*)</I><R>([^<]*)</R><M>([^<]*)</M><S>([^<]*)</S>\]\r\n")


class BoardTest(EndToEndCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory(prefix="tarnby-board-test-")
        self.addCleanup(folder.cleanup)
        self.folder = folder.name

    def reader(self, board):
        self.addCleanup((reader := PortReader(board.link)).close)
        return reader

    def test_raw_line_and_stats_match_what_was_sent(self):
        board = self.board(self.folder, args=["--rate", "100", "--count", "60", "--hold",
                                              "--seed", "3", "--split", "--bad-every", "4",
                                              "--noise"])
        reader = self.reader(board)
        # Noise has no brackets and every frame ends in "]\r\n": then the last frame is in.
        data = reader.read_until(lambda d: d.count(b"]") >= 60 and d.endswith(b"]\r\n"), 10,
                                 "60 frames")
        self.assertEqual(board.stop(), 0)
        stats = board.stats()
        self.assertEqual((stats["frames"], stats["bytes"]), (60, len(data)))
        # Frames 4, 8, ... 60 are damaged, the kinds in turn: V "0" (4), lower-case tags (4),
        # closing tag first (4), letters for V (3, accepted with V = 0).
        self.assertEqual((stats["accepted"], stats["dropped"], stats["corrupt"]), (48, 8, 4))
        self.assertEqual(data.count(b"["), 60)
        good = [f for f in FRAME.findall(data) if f[0] != b"0"]  # letters for V share the shape
        self.assertEqual(len(good), 45 + 3)
        for k, key in enumerate("VIRMS"):
            sent = sum(float(f[k]) for f in good if re.fullmatch(rb"[0-9.]+", f[k]))
            self.assertAlmostEqual(stats["sum_" + key], sent, places=6, msg=key)
        self.assertGreater(stats["noise_bytes"], 0)
        self.assertTrue(any(re.search(rb"\][^\[]*\[", chunk) for chunk in reader.reads),
                        "no read held a frame's tail with the next frame's head")

    def test_reader_that_leaves_and_comes_back_gets_a_clean_stream(self):
        board = self.board(self.folder, args=["--rate", "50", "--fixed", FIXED, "--split"])
        first = PortReader(board.link)
        first.read_until(lambda d: d.count(b"\r\n") >= 5, 5, "frames for the first reader")
        # Leaves unread bytes and maybe half a frame behind; the next reader opens at once.
        first.close()
        second = self.reader(board)
        board.wait_for("reader connected", 5, occurrences=2)
        self.assertIn("reader gone", board.output())
        data = second.read_until(lambda d: d.count(b"\r\n") >= 5, 5, "frames for the second reader")
        self.assertTrue(data.startswith(b"[<V>810</V><I>912</I><R>50</R><M>215</M><S>25</S>]\r\n"),
                        data[:60])
        self.assertEqual(len(FRAME.findall(data)), data.count(b"\r\n"))


if __name__ == "__main__":
    main()
