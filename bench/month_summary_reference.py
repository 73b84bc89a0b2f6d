#!/usr/bin/env python3
"""What a user could write instead of the month view: a minimal month summary with regular
expressions, to set beside BM_SummarizeMonth on the same day logs. For each day log of the month
it takes the <T>, <V> and <W> fields of each record, keeps the records strictly between 00:00 and
23:59, sums the energy as the plot does (every record after the first stands for one logging
interval) and finds the lowest and highest volts.

    TARNBY_MONTH_DIR=/tmp/month build-rel/bin/tarnby-bench --benchmark_filter=BM_SummarizeMonth
    bench/month_summary_reference.py /tmp/month/logs 2026 12 10
"""
import calendar, re, statistics, sys, time

RECORD = re.compile(rb"<T>(\d\d):(\d\d)</T><V>([-.\d]*)</V>.*?<W>([-.\d]*)</W>")


def summarize(logs, year, month, interval):
    days = {}
    for day in range(1, calendar.monthrange(year, month)[1] + 1):
        try:
            with open(f"{logs}/P_{year}_{month:02}_{day:02}.txt", "rb") as log:
                text = log.read()
        except FileNotFoundError:
            continue
        volts, watts = [], []
        for hours, minutes, v, w in RECORD.findall(text):
            if 0 < int(hours) * 60 + int(minutes) < 23 * 60 + 59:
                volts.append(float(v or 0))
                watts.append(float(w or 0))
        if volts:
            days[day] = (sum(watts[1:]) / 3600 * interval, min(volts), max(volts))
    return days


if __name__ == "__main__":
    logs, year, month = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    interval = float(sys.argv[4]) if len(sys.argv) > 4 else 10
    runs = []
    for _ in range(7):
        start = time.perf_counter()
        days = summarize(logs, year, month, interval)
        runs.append((time.perf_counter() - start) * 1000)
    total = sum(energy for energy, _, _ in days.values())
    print(f"{len(days)} days, {total:.1f} Wh; median {statistics.median(runs):.0f} ms, "
          f"best {min(runs):.0f} ms of {len(runs)} runs")
