#!/usr/bin/env python3
"""Expected statistics over cells of a comma-form table.

argv: table file; stdin lines: name TAB down(1)/across(0) TAB line TAB column
TAB first TAB last. Output: one result a line.
"""
import csv
import re
import statistics
import sys
from decimal import Decimal

rows = list(csv.reader(open(sys.argv[1], encoding="ascii", newline="")))
NUMBER = re.compile(r"^[-+]?(\d[\d,]*)?(\.\d*)?$")


def is_number(s):
    return bool(NUMBER.match(s)) and any(c.isdigit() for c in s)


for line in sys.stdin:
    name, down, row, col, first, last = line.split("\t")
    row, col, first, last = int(row), int(col), int(first), int(last)
    if down == "1":
        cells = [rows[r - 1][col - 1] for r in range(first, last + 1)]
    else:
        cells = rows[row - 1][first - 1:last]
    cells = [c.strip(" ") for c in cells]
    nums = [c for c in cells if is_number(c)]
    vals = [Decimal(c.replace(",", "")) for c in nums]
    if name == "NUM":
        r = str(len(nums))
    elif name == "NDT":
        r = str(sum(1 for c in cells if c))
    elif name == "NWD":
        r = str(sum(1 for c in cells if c and not is_number(c)))
    elif name == "SUM":
        r = str(sum(vals, Decimal(0))) if vals else "0"
    elif not vals:
        r = "0" if name in ("MAX", "MIN") else "0.00"
    elif name in ("MAX", "MIN"):
        pick = max(vals) if name == "MAX" else min(vals)
        r = nums[vals.index(pick)].replace(",", "")
    elif name == "AVE":
        r = format(statistics.fmean(vals), ".2f")
    elif name == "DEV":
        r = format(statistics.pstdev(vals), ".2f")
    else:
        r = format(statistics.pvariance(vals), ".2f")
    print(r)
