#!/usr/bin/env python3
"""Reads a Shift-JIS CSV file with the csv module and writes its rows again."""
import csv
import sys

with open(sys.argv[1], encoding="cp932", newline="") as src, \
        open(sys.argv[2], "w", encoding="cp932", newline="") as dst:
    csv.writer(dst, lineterminator="\r\n").writerows(csv.reader(src))
