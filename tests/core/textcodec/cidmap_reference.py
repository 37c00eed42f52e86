#!/usr/bin/env python3
"""The inverse of an Adobe-Japan1 CMap: for each character id from FIRST to
LAST that the CMap reaches, the Shift-JIS codes that map to it, in the
CMap's order.

Usage: cidmap_reference.py CMAP FIRST LAST. Output lines: id code code ...
(codes in hexadecimal).
"""
import re
import sys


def read_cmap(path):
    codes = {}
    section = None
    with open(path, encoding="latin-1") as f:
        for line in f:
            line = line.strip()
            if line.endswith("begincidrange"):
                section = "range"
            elif line.endswith("begincidchar"):
                section = "char"
            elif line.startswith("end"):
                section = None
            elif section == "range":
                m = re.match(r"<([0-9a-fA-F]+)>\s*<([0-9a-fA-F]+)>\s*(\d+)", line)
                first, last, cid = int(m[1], 16), int(m[2], 16), int(m[3])
                for code in range(first, last + 1):
                    codes.setdefault(cid + code - first, []).append(code)
            elif section == "char":
                m = re.match(r"<([0-9a-fA-F]+)>\s*(\d+)", line)
                codes.setdefault(int(m[2]), []).append(int(m[1], 16))
    return codes


def main():
    path, first, last = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    codes = read_cmap(path)
    for cid in range(first, last + 1):
        if cid in codes:
            print(cid, " ".join("%x" % c for c in codes[cid]))


if __name__ == "__main__":
    main()
