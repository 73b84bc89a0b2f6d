#!/usr/bin/env python3
"""Soak: the real program against the simulated board at its highest frame rate (1000 frames a
second) for ten minutes, logging every 10 s. Not part of CTest; run by hand:

    python3 bench/soak.py            # ten minutes
    SOAK_SECONDS=60 python3 bench/soak.py
    SOAK_RATE=500 python3 bench/soak.py

Reports, and fails (exit status 1) unless they hold:
- resident memory (VmRSS) at the start and the end of the soak, and its highest: flat;
- day-log records written against logging intervals elapsed: one record per interval, every
  one holding the averages of the fixed values the board sends;
- frames sent against frames the program took in. The program has no frame counter of its own,
  so what it took in is shown from the line: the board sent all its frames (its --stats-file)
  as fast as it sends them to a reader that only drains the line (measured first, for ten
  seconds), so the program never held it back (a reader that falls behind fills the terminal
  and stops the board); once they are out, nothing is left unread on the
  line (FIONREAD on the terminal is 0), so the program read every byte; and the bytes it read
  (rchar of /proc/<pid>/io) are at least the bytes sent, the excess being its own 8-byte event
  wake-ups. All frames are alike, so every record holding exactly the fixed values shows that
  none of them was mis-cut.

To measure rchar from a quiet start, a first board warms the program up and is stopped; while
the program waits for its port (it retries every 3 s) the baseline is read; then the soak
board starts on the same link with --count (rate x seconds) --hold and the program reopens it.
"""

import array
import fcntl
import os
import sys
import termios
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

import e2e_support  # noqa: E402
from e2e_support import FIXED  # noqa: E402

TICK = 10
WARM_UP = 5
MOST_GROWTH_KIB = 2048
EXPECTED = {"V": "27.00", "I": "20.00", "W": "540.00", "R": "250", "S": "12.5", "M": "0"}


def frame_length():
    v, i, r, m, s = FIXED.split(",")
    return len("[<V>%s</V><I>%s</I><R>%s</R><M>%s</M><S>%s</S>]\r\n" % (v, i, r, m, s))


def unread_bytes(link):
    """Bytes waiting on the terminal for its reader; opening it a second time takes nothing."""
    fd = os.open(link, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
    try:
        count = array.array("i", [0])
        fcntl.ioctl(fd, termios.FIONREAD, count, True)
        return count[0]
    finally:
        os.close(fd)


def board_pace(rate, seconds):
    """Frames per second the board itself reaches at this rate with a reader that only
    drains the line: the yardstick for whether the program held it back."""
    import tempfile
    folder = tempfile.mkdtemp(prefix="tarnby-soak-pace-")
    frames = int(rate * seconds)
    board = e2e_support.Board(folder, args=["--rate", str(rate), "--fixed", FIXED,
                                            "--count", str(frames), "--hold"])
    reader = None
    try:
        reader = e2e_support.PortReader(board.link)
        start = time.monotonic()
        reader.read_until(lambda data: len(data) >= frames * frame_length(), seconds * 2 + 10,
                          "the board's frames")
        return frames / (time.monotonic() - start)
    finally:
        if reader is not None:
            reader.close()
        board.stop()
        board.cleanup()
        os.rmdir(os.path.join(folder, "ports"))
        os.rmdir(folder)


def main():
    seconds = int(os.environ.get("SOAK_SECONDS", "600"))
    rate = int(os.environ.get("SOAK_RATE", "1000"))
    frames_due = rate * seconds
    pace = board_pace(rate, min(10, seconds))
    app = e2e_support.AppFolder(prog_cfg=e2e_support.prog_cfg_bytes(log_on="1", log_delay="10"))
    boards = []
    tarnby = None
    failures = []
    try:
        warm = e2e_support.Board(app.path, args=["--rate", str(rate), "--fixed", FIXED])
        boards.append(warm)
        started = time.monotonic()
        tarnby = e2e_support.Tarnby(app)
        warm.wait_for("reader connected", 15)
        time.sleep(WARM_UP)
        warm.stop()
        # The program notices the lost line and closes its port; then it reads nothing.
        time.sleep(1)
        read_before = tarnby.bytes_read()

        soak = e2e_support.Board(app.path, args=["--rate", str(rate), "--fixed", FIXED,
                                                 "--count", str(frames_due), "--hold"])
        boards.append(soak)
        soak.wait_for("reader connected", 10)
        soak_start = time.monotonic()
        time.sleep(2)
        rss_start = tarnby.rss_kib()
        cpu_start = tarnby.cpu_seconds()
        rss = [rss_start]
        next_report = time.monotonic() + 60
        while "sent %d frames" % frames_due not in soak.output():
            if time.monotonic() - soak_start > seconds * 1.5 + 30:
                failures.append("the board had not sent its %d frames after %.0f s" %
                                (frames_due, time.monotonic() - soak_start))
                break
            if not tarnby.alive():
                raise SystemExit("tarnby ended during the soak:\n" + tarnby.output())
            time.sleep(1)
            rss.append(tarnby.rss_kib())
            if time.monotonic() >= next_report:
                next_report += 60
                print("  %4.0f s: VmRSS %d kB, %d records" %
                      (time.monotonic() - soak_start, rss[-1], len(app.all_records())),
                      flush=True)
        sending = time.monotonic() - soak_start
        cpu = tarnby.cpu_seconds() - cpu_start
        time.sleep(1)  # the last frames read
        unread = unread_bytes(soak.link)
        read = tarnby.bytes_read() - read_before
        rss_end = tarnby.rss_kib()
        # Records cover every interval since logging started with the program.
        records = app.all_records()
        elapsed = time.monotonic() - started
        tarnby.stop()
        soak.stop()
        stats = soak.stats()
    finally:
        if tarnby is not None:
            tarnby.cleanup()
        for board in boards:
            board.cleanup()

    intervals = int(elapsed / TICK)
    wrong = [r for r in records if {k: r[k] for k in EXPECTED} != EXPECTED]
    sent_bytes = stats["bytes"]
    print("soak: %d s at %d frames/s, logging every %d s" % (seconds, rate, TICK))
    print("  resident memory   start %d kB, end %d kB, highest %d kB (growth %+d kB)" %
          (rss_start, rss_end, max(rss), rss_end - rss_start))
    print("  records           %d written, %d intervals elapsed, %d not at the fixed values" %
          (len(records), intervals, len(wrong)))
    print("  frames            %d due, %d sent in %.1f s (%.0f frames/s; the board alone "
          "reaches %.0f frames/s)" % (frames_due, stats["frames"], sending,
                                      stats["frames"] / sending, pace))
    print("  bytes             %d sent (%d frames of %d), %d left unread on the line" %
          (sent_bytes, sent_bytes // frame_length(), frame_length(), unread))
    print("  read by program   %d bytes: %+d over the bytes sent (event wake-ups)" %
          (read, read - sent_bytes))
    print("  program CPU       %.1f %% of one core while frames arrived" % (100 * cpu / sending))
    print("  machine load      %.2f %.2f %.2f (other work slows the board and the program alike)"
          % os.getloadavg())

    if max(rss) - rss_start >= MOST_GROWTH_KIB:
        failures.append("resident memory grew by %d kB" % (max(rss) - rss_start))
    if len(records) not in (intervals - 1, intervals):
        failures.append("%d records for %d intervals" % (len(records), intervals))
    if wrong:
        failures.append("records not at the fixed values: %r" % wrong[:3])
    if stats["frames"] != frames_due or stats["accepted"] != frames_due:
        failures.append("the board sent %d of %d frames" % (stats["frames"], frames_due))
    # Sending is timed from the poll that sees the reader to the one that sees the end (1 s).
    if sending > frames_due / pace * 1.05 + 3:
        failures.append("sending took %.0f s instead of %.0f: the program held the board back" %
                        (sending, frames_due / pace))
    if sent_bytes != frames_due * frame_length():
        failures.append("%d bytes sent for %d frames" % (sent_bytes, frames_due))
    if unread != 0 or read < sent_bytes:
        failures.append("the program left %d bytes unread and read %d of the %d sent" %
                        (unread, read, sent_bytes))
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
