"""The cell list of a CSV table as Python's csv module reads it.

Usage: dumpcells_reference.py table.csv list.csv
Reads the table (CP932, comma form) and the program's cell list of it; the
list must hold the title row "line","clmn","data" and one row per non-empty
cell of the data rows (every row after the first), row by row and left to
right: the 1-based row, the 1-based column and the cell's value. Prints "OK
n" with the number of cells, or the first difference.
"""
import csv
import sys


def read(path):
    with open(path, newline="", encoding="cp932") as f:
        return list(csv.reader(f))


table = read(sys.argv[1])
listed = read(sys.argv[2])
expected = [["line", "clmn", "data"]]
for r, row in enumerate(table[1:], start=2):
    for c, cell in enumerate(row, start=1):
        if cell != "":
            expected.append([str(r), str(c), cell])
if listed == expected:
    print("OK %d" % (len(expected) - 1))
else:
    for k, (a, b) in enumerate(zip(listed, expected)):
        if a != b:
            print("row %d: got %r, expected %r" % (k, a, b))
            break
    else:
        print("rows: got %d, expected %d" % (len(listed), len(expected)))
