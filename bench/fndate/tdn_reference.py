#!/usr/bin/env python3
"""The yardstick of bench_fndate: column 1 of a CSV of "YYYY/MM/DD" dates
read with datetime.strptime and written as the day serial (days since
1899-12-31, "%06d"); the title line and the other columns as they are."""
import sys
from datetime import datetime

BASE = datetime(1899, 12, 31).toordinal()

with open(sys.argv[1], encoding="ascii", newline="") as f:
    out = [f.readline()]
    for line in f:
        d, rest = line.split(",", 1)
        out.append("%06d,%s" % (datetime.strptime(d, "%Y/%m/%d").toordinal() - BASE, rest))
sys.stdout.write("".join(out))
