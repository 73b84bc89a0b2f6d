"""The simulated board as the other tests rely on it: split, damaged and noisy frames counted as
sent; a reader that comes back at once (as a restarted program does) seen and given whole frames."""

import re
import tempfile

from e2e_support import FIXED, EndToEndCase, PortReader, main

FRAME = re.compile(rb"\[<V>[^<]*</V><I>[^<]*</I><R>[^<]*</R><M>[^<]*</M><S>[^<]*</S>\]\r\n")


class BoardTest(EndToEndCase):
    def setUp(self):
        self.addCleanup((folder := tempfile.TemporaryDirectory()).cleanup)
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
        self.assertEqual((stats["frames"], stats["bytes"], data.count(b"[")), (60, len(data), 60))
        # Frames 4, 8, ... 60 are damaged, the kinds in turn: V "0" (4), lower-case tags (4),
        # closing tag first (4), letters for V (3, accepted with V = 0).
        self.assertEqual((stats["accepted"], stats["dropped"], stats["corrupt"]), (48, 8, 4))
        self.assertEqual(len(FRAME.findall(data)), 48 + 4)
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
