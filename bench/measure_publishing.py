#!/usr/bin/env python3
"""What publishing costs: two tarnbyd side by side for the same minute, each on its own simulated
board at twenty frames a second and its own folder, logging every 10 s; one publishes to a
mosquitto on this machine (state every LiveSeconds, each record), the other does not.

    python3 bench/measure_publishing.py [--seconds 60] [--rate 20] [--live-seconds 5]
                                        [--most-extra-percent 15]

Reports the CPU seconds of each over the measured stretch, after start-up, and their ratio; the
exit status is 1 when publishing costs more than --most-extra-percent. The CPU time is the sum
of the threads' run time in /proc/<pid>/task/*/schedstat (nanoseconds: at a fraction of a
percent of one core, the clock ticks of utime + stime are too coarse for a minute).
"""

import argparse
import glob
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

from e2e_support import (AppFolder, Board, Broker, Subscriber, Tarnbyd,  # noqa: E402
                         mqtt_cfg_bytes, prog_cfg_bytes, wait_until)


def cpu_seconds(pid):  # every thread's time on a CPU
    return sum(int(open(path).read().split()[0])
               for path in glob.glob("/proc/%d/task/*/schedstat" % pid)) / 1e9


def measure(args):
    plain, publishing = (AppFolder(prog_cfg=prog_cfg_bytes(log_on="1", log_delay="10"))
                         for _ in range(2))
    broker = Broker(publishing.path)
    with open(publishing.file("mqtt.cfg"), "wb") as f:
        f.write(mqtt_cfg_bytes(broker.port, site="bench", LiveSeconds=args.live_seconds))
    running = [broker, Subscriber(broker.port)]
    try:
        for app in (plain, publishing):
            running.append(Board(app.path, args=["--rate", str(args.rate), "--seed", "1"]))
        services = [Tarnbyd(plain), Tarnbyd(publishing)]
        running += services
        wait_until(lambda: "publishing to" in services[1].output(), 15, "publishing")
        time.sleep(3)  # start-up over
        start = [cpu_seconds(s.pid) for s in services]
        wall = time.monotonic()
        time.sleep(args.seconds)
        cpu = [cpu_seconds(s.pid) - c for s, c in zip(services, start)]
        wall = time.monotonic() - wall
        if not all(s.alive() for s in services):
            raise SystemExit("tarnbyd ended during the measurement")
        states = len(running[1].payloads("tarnby/bench/state"))
        records = len(running[1].payloads("tarnby/bench/record"))
        return wall, cpu, states, records, [len(app.all_records()) for app in (plain, publishing)]
    finally:
        for process in reversed(running):
            process.cleanup()
        for app in (plain, publishing):
            app.cleanup()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--rate", type=float, default=20, help="frames per second")
    parser.add_argument("--live-seconds", type=int, default=5, help="LiveSeconds of mqtt.cfg")
    parser.add_argument("--most-extra-percent", type=float, default=15)
    args = parser.parse_args()
    wall, (plain, publishing), states, records, logged = measure(args)
    extra = 100.0 * (publishing / plain - 1)
    print("tarnbyd, %.0f frames/s, logging every 10 s, %.0f s side by side:" % (args.rate, wall))
    print("  without publishing: %.3f s of CPU time (%.2f %% of one core); %d records"
          % (plain, 100 * plain / wall, logged[0]))
    print("  publishing:         %.3f s of CPU time (%.2f %% of one core); %d records, "
          "%d state and %d record messages received" % (publishing, 100 * publishing / wall,
                                                       logged[1], states, records))
    print("  ratio %.3f: publishing costs %+.1f %%" % (publishing / plain, extra))
    if extra > args.most_extra_percent:
        print("FAIL: more than %.0f %%" % args.most_extra_percent)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
