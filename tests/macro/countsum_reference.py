#!/usr/bin/env python3
"""Reference side of the count test: writes a CSV table whose second column
holds group names, and the count of every group as collections.Counter finds
it over that column.

countsum_reference.py SEED ROWS TABLE.csv COUNTS.txt
COUNTS.txt: one "group<TAB>count" line per group, in sorted order.
"""
import collections
import csv
import random
import sys


def main():
    seed, rows, table_path, counts_path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4]
    rnd = random.Random(seed)
    groups = ["g%02d" % k for k in range(rnd.randint(3, 40))] + ["Tokyo", "a b", "x-1"]
    data = [[str(k + 1), rnd.choice(groups), str(rnd.randint(-50, 999))] for k in range(rows)]
    with open(table_path, "w", newline="") as f:
        w = csv.writer(f, lineterminator="\r\n")
        w.writerow(["id", "group", "value"])
        w.writerows(data)
    with open(table_path, newline="") as f:
        counter = collections.Counter(row[1] for row in list(csv.reader(f))[1:])
    with open(counts_path, "w", newline="") as f:
        for k in sorted(counter):
            f.write("%s\t%d\n" % (k, counter[k]))


if __name__ == "__main__":
    main()
