"""Writes a CSV table with Python's csv module, or checks that a file reads
back as the same rows.

  selectsnapshot_reference.py write OUT.csv
  selectsnapshot_reference.py check OUT.csv OTHER.csv   -> prints "same" or the difference
"""
import csv
import random
import sys


def rows():
    rng = random.Random(20261208)
    words = ["plain", "Smith, J", 'say "hi"', "two\r\nlines", "a\nb, c", "", " lead", "trail ",
             '"', '""', "x,y,z", "1,234", "-5.25", "\u00e9t\u00e9", "end\r\n"]
    out = [["id", "name", "amount", "note"]]
    for i in range(1, 400):
        out.append([str(i), rng.choice(words), rng.choice(words), rng.choice(words)])
    return out


def main():
    if sys.argv[1] == "write":
        with open(sys.argv[2], "w", newline="", encoding="utf-8") as f:
            csv.writer(f).writerows(rows())
        return
    with open(sys.argv[2], newline="", encoding="utf-8") as f:
        a = list(csv.reader(f))
    with open(sys.argv[3], newline="", encoding="utf-8") as f:
        b = list(csv.reader(f))
    if a == b and a == rows():
        print("same")
    else:
        for i, (x, y) in enumerate(zip(a, b)):
            if x != y:
                print("row", i, x, y)
                break
        print("rows", len(a), len(b))


main()
