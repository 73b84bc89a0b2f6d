"""What the fault tests share beyond the end-to-end helpers (tests/e2e/e2e_support.py, imported
from here): the record values the fixed board values give and the loader check of a day log."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import e2e_support  # noqa: E402

# The record fields of e2e_support.FIXED through the sample factors.
EXPECTED = {"V": "27.00", "I": "20.00", "W": "540.00", "R": "250", "S": "12.5", "M": "0"}

# Another set of raw values, for a board that comes back with new readings:
# 840 / 30, (1012 - 512) / 20, 60 / 12 * 60, 30 / 2.
OTHER_FIXED = "840,1012,60,215,30"
OTHER_EXPECTED = {"V": "28.00", "I": "25.00", "W": "700.00", "R": "300", "S": "15.0", "M": "0"}


def fields(record, keys=("V", "I", "W", "R", "S", "M")):
    return {k: record[k] for k in keys}


def load_day_log(path):
    """Loads a day log with the program's own day-log loader (tarnby-daylog-check) for the
    whole day: returns (outcome, [record fields as the loader keeps them])."""
    tool = e2e_support.binary("tarnby-daylog-check")
    result = subprocess.run([tool, path], capture_output=True, text=True, timeout=30,
                            check=False)
    if result.returncode != 0:
        raise AssertionError("tarnby-daylog-check %s failed: %s" % (path, result.stderr))
    lines = result.stdout.splitlines()
    return lines[0], [line.split(" ") for line in lines[1:]]
