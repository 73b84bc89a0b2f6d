#!/usr/bin/env python3
"""tarnbyd publishing through a broker outage: the service logs every 10 s at two frames a second
and publishes to a mosquitto on this machine, which is stopped for a while and started again.

    python3 bench/publishing_outage.py [--warm-up 60] [--outage 60] [--after 120]
                                       [--most-back-seconds 40] [--most-growth-kib 1024]

It fails (exit status 1) when the day log lacks a record (one every 10 s from the end of the
warm-up to the end), when the records made while the broker was away do not all arrive once it
is back, when no record message arrives within --most-back-seconds of the broker's restart, or
when VmRSS grew by more than --most-growth-kib from the end of the warm-up. scripts/deep-check
outage runs it.
"""

import argparse
import math
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

from e2e_support import (AppFolder, Board, Broker, Subscriber, Tarnbyd,  # noqa: E402
                         mqtt_cfg_bytes, prog_cfg_bytes, wait_until)

RECORDS = "tarnby/outage/record"


def sample(service, seconds, rss):  # VmRSS every second for this long
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        time.sleep(1)
        if not service.alive():
            raise SystemExit("tarnbyd ended:\n" + service.output())
        rss.append(service.rss_kib())


def run(args):
    app = AppFolder(prog_cfg=prog_cfg_bytes(log_on="1", log_delay="10"))
    broker = Broker(app.path)
    with open(app.file("mqtt.cfg"), "wb") as f:
        f.write(mqtt_cfg_bytes(broker.port, site="outage", LiveSeconds=5))
    running = [broker, Board(app.path, args=["--rate", "2", "--seed", "1"])]
    try:
        running.append(service := Tarnbyd(app))
        running.append(subscriber := Subscriber(broker.port))
        wait_until(lambda: subscriber.payloads(RECORDS), 30, "a record message")
        rss = []
        sample(service, args.warm_up, rss)
        counted_from, records_before = time.monotonic(), len(app.all_records())
        rss = [service.rss_kib()]
        broker.stop()
        stopped = time.monotonic()
        sample(service, args.outage, rss)
        made_while_away = len(app.all_records())
        broker.start()
        restarted = time.monotonic()
        running.append(subscriber := Subscriber(broker.port))
        wait_until(lambda: subscriber.payloads(RECORDS) or
                   time.monotonic() - restarted > args.most_back_seconds, 120, "publishing")
        back = time.monotonic() - restarted if subscriber.payloads(RECORDS) else None
        sample(service, args.after, rss)
        made = len(app.all_records()) - records_before
        counted = time.monotonic() - counted_from
        service.stop()
        made_while_away -= records_before
        return {"outage": restarted - stopped, "back": back, "made": made,
                "least": math.floor(counted / 10), "most": math.ceil(counted / 10),
                "made_while_away": made_while_away,
                "sent_after": len(subscriber.payloads(RECORDS)), "rss": rss,
                "said": [line for line in service.output().splitlines() if "publish" in line]}
    finally:
        for process in reversed(running):
            process.cleanup()
        app.cleanup()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--warm-up", type=float, default=60)
    parser.add_argument("--outage", type=float, default=60)
    parser.add_argument("--after", type=float, default=120)
    parser.add_argument("--most-back-seconds", type=float, default=40)
    parser.add_argument("--most-growth-kib", type=float, default=1024)
    args = parser.parse_args()
    r = run(args)
    growth = max(r["rss"]) - r["rss"][0]
    print("tarnbyd, 2 frames/s, logging every 10 s; broker stopped for %.0f s" % r["outage"])
    print("  day-log records after the warm-up: %d (%d to %d expected)"
          % (r["made"], r["least"], r["most"]))
    print("  publishing back %s after the restart; record messages then: %d (%d made while "
          "the broker was away)" % ("never" if r["back"] is None else "%.1f s" % r["back"],
                                    r["sent_after"], r["made_while_away"]))
    print("  memory: VmRSS %.1f MiB after the warm-up, %.1f MiB at end, growth %d KiB"
          % (r["rss"][0] / 1024, r["rss"][-1] / 1024, growth))
    print("  tarnbyd said:\n    " + "\n    ".join(r["said"]))
    failures = [text for text, failed in (
        ("a record is missing from the day log", not r["least"] <= r["made"] <= r["most"]),
        ("publishing was not back in time", r["back"] is None),
        ("records made during the outage never arrived", r["sent_after"] < r["made_while_away"]),
        ("resident memory grew by %d KiB" % growth, growth > args.most_growth_kib)) if failed]
    for text in failures:
        print("FAIL: " + text)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
