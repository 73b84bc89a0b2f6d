#!/usr/bin/env python3
"""Runs the real program against the simulated board (2 frames a second, logging every 10 s)
for a minute and reports its average CPU use, as a share of one core, and its resident memory.

    python3 bench/measure_idle.py [--program tarnby|tarnbyd] [--seconds 60] [--rate 2]
                                  [--platform offscreen] [--reference] [--most-growth-kib N]

--program tarnbyd measures the service instead of the desktop program. With --most-growth-kib
the exit status is 1 when the resident memory grew by more than N KiB over the measurement
(scripts/deep-check service runs the service for an hour so).

With --reference it then runs a minimal logger in Python against the same board for the same
time (read the line when it wakes, cut frames at "]", append and fdatasync a line every 10 s):
on a virtual machine most of an idle program's CPU time is the cost of waking up at all, which
varies with the host, so the two figures are best read side by side.

CPU time is utime + stime from /proc/<pid>/stat over the measured stretch (after a few seconds
of start-up); memory is VmRSS from /proc/<pid>/status, sampled every second.
"""

import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

import e2e_support  # noqa: E402


def measure(program, seconds, rate, platform):
    app = e2e_support.AppFolder(prog_cfg=e2e_support.prog_cfg_bytes(log_on="1", log_delay="10"))
    board = e2e_support.Board(app.path, args=["--rate", str(rate), "--seed", "1"])
    tarnby = None
    try:
        if program == "tarnbyd":
            tarnby = e2e_support.Tarnbyd(app)
        else:
            tarnby = e2e_support.Tarnby(app, extra_env={"QT_QPA_PLATFORM": platform})
        board.wait_for("reader connected", 15)
        time.sleep(3)  # start-up over, first frames shown
        rss = [tarnby.rss_kib()]
        cpu_start, wall_start = tarnby.cpu_seconds(), time.monotonic()
        while time.monotonic() - wall_start < seconds:
            time.sleep(1)
            if not tarnby.alive():
                raise SystemExit("%s ended during the measurement:\n%s"
                                 % (program, tarnby.output()))
            rss.append(tarnby.rss_kib())
        cpu = tarnby.cpu_seconds() - cpu_start
        wall = time.monotonic() - wall_start
        records = len(app.all_records())
        tarnby.stop()
        board.stop()
        frames = board.stats()["frames"]
        return {
            "seconds": wall,
            "cpu_seconds": cpu,
            "cpu_percent": 100.0 * cpu / wall,
            "rss_start_mib": rss[0] / 1024.0,
            "rss_end_mib": rss[-1] / 1024.0,
            "rss_max_mib": max(rss) / 1024.0,
            "records": records,
            "frames": frames,
        }
    finally:
        if tarnby is not None:
            tarnby.cleanup()
        board.cleanup()
        app.cleanup()


REFERENCE_READER = r"""
import os, select, sys, time
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
buffer, frames, last = b"", 0, time.monotonic()
while True:
    ready, _, _ = select.select([fd], [], [], 1.0)
    if ready:
        buffer += os.read(fd, 4096)
        while b"]" in buffer:
            _, _, buffer = buffer.partition(b"]")
            frames += 1
    if time.monotonic() - last >= 10:
        last = time.monotonic()
        with open(sys.argv[2], "ab") as log:
            log.write(b"%d\r\n" % frames)
            log.flush()
            os.fdatasync(log.fileno())
"""


def measure_reference(seconds, rate):
    app = e2e_support.AppFolder(prog_cfg=e2e_support.prog_cfg_bytes(log_on="0", log_delay="10"))
    board = e2e_support.Board(app.path, args=["--rate", str(rate), "--seed", "1"])
    reader = None
    try:
        reader = subprocess.Popen([sys.executable, "-c", REFERENCE_READER,
                                   os.path.join(app.path, "ports", "COM1"),
                                   os.path.join(app.path, "logs", "reference.txt")])
        time.sleep(3)
        start, wall_start = e2e_support.process_cpu_seconds(reader.pid), time.monotonic()
        time.sleep(seconds)
        cpu = e2e_support.process_cpu_seconds(reader.pid) - start
        return 100.0 * cpu / (time.monotonic() - wall_start)
    finally:
        if reader is not None:
            reader.kill()
            reader.wait()
        board.stop()
        board.cleanup()
        app.cleanup()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", choices=("tarnby", "tarnbyd"), default="tarnby")
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--rate", type=float, default=2, help="frames per second")
    parser.add_argument("--platform", default="offscreen", help="Qt platform plugin")
    parser.add_argument("--reference", action="store_true",
                        help="also measure a minimal Python logger against the same board")
    parser.add_argument("--most-growth-kib", type=float,
                        help="fail when the resident memory grows by more than this")
    args = parser.parse_args()
    result = measure(args.program, args.seconds, args.rate, args.platform)
    print("%s, %.0f frames/s, logging every 10 s, %.0f s measured%s:"
          % (args.program, args.rate, result["seconds"],
             " (%s)" % args.platform if args.program == "tarnby" else ""))
    print("  CPU:    %.3f %% of one core (%.2f s of CPU time)"
          % (result["cpu_percent"], result["cpu_seconds"]))
    print("  memory: VmRSS %.1f MiB at start, %.1f MiB at end, %.1f MiB at most"
          % (result["rss_start_mib"], result["rss_end_mib"], result["rss_max_mib"]))
    print("  frames sent: %d; day-log records: %d" % (result["frames"], result["records"]))
    if args.reference:
        reference = measure_reference(args.seconds, args.rate)
        print("minimal Python logger, same board, %.0f s: CPU %.3f %% of one core"
              % (args.seconds, reference))
        print("%s / Python logger: %.2f" % (args.program, result["cpu_percent"] / reference))
    growth = (result["rss_max_mib"] - result["rss_start_mib"]) * 1024
    if args.most_growth_kib is not None and growth > args.most_growth_kib:
        print("FAIL: resident memory grew by %.0f KiB" % growth)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
