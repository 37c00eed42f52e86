#!/usr/bin/env python3
"""Tables for the save statements' oracle test, and their check.

gen SEED COUNT DIR   writes for each case k:
    case_k.csv        a CSV file (Shift-JIS) written by Python's csv module:
                      commas, quotes, line breaks inside cells, double-byte
                      characters (some with a 0x5C second byte), empty cells
    edit_k.bin        the table's working form of cells without quotes and
                      line breaks (0x06 between fields, CR LF rows), as a
                      table command leaves it
    case_k.json, edit_k.json   the cells of each
check COUNT DIR      reads saved_k.csv and edited_k.csv with csv.reader
                     (cp932) and compares them with the cells; prints the
                     first difference and exits 1 when one differs.
"""
import csv
import io
import json
import os
import random
import sys

BITS = ["a", "b", "Z", "1", "0", " ", ",", ",", "\"", "\r\n", "\n", "\t", "表", "ソ", "能", "日本", "ｶﾅ", "－", "～", "x,y"]
PLAIN = ["a", "b", "Z", "1", " ", ",", ",", "表", "ソ", "能", "日本", "ｶﾅ", "\t", "x,y"]


def cell(rng, bits):
    return "".join(rng.choice(bits) for _ in range(rng.randrange(0, 6)))


def table(rng, bits):
    cols = rng.randrange(1, 6)
    return [[cell(rng, bits) for _ in range(cols)] for _ in range(rng.randrange(1, 7))]


def gen(seed, count, folder):
    rng = random.Random(seed)
    for k in range(count):
        rows = table(rng, BITS)
        # A row of one empty cell is written as an empty line, which a reader
        # gives back as no cells: keep every row's first cell non-empty.
        for r in rows:
            if len(r) == 1 and r[0] == "":
                r[0] = "e"
        buf = io.StringIO()
        csv.writer(buf, lineterminator="\r\n").writerows(rows)
        with open(os.path.join(folder, "case_%d.csv" % k), "wb") as f:
            f.write(buf.getvalue().encode("cp932"))
        with open(os.path.join(folder, "case_%d.json" % k), "w") as f:
            json.dump(rows, f)
        edit = table(rng, PLAIN)
        for r in edit:
            if len(r) == 1 and r[0] == "":
                r[0] = "e"
        text = "".join("\x06".join(r) + "\r\n" for r in edit)
        with open(os.path.join(folder, "edit_%d.bin" % k), "wb") as f:
            f.write(text.encode("cp932"))
        with open(os.path.join(folder, "edit_%d.json" % k), "w") as f:
            json.dump(edit, f)


def read(path):
    with open(path, "rb") as f:
        text = f.read().decode("cp932")
    return [r for r in csv.reader(io.StringIO(text, newline=""))]


def check(count, folder):
    for k in range(count):
        for saved, cells in (("saved_%d.csv", "case_%d.json"), ("edited_%d.csv", "edit_%d.json")):
            with open(os.path.join(folder, cells % k)) as f:
                want = json.load(f)
            got = read(os.path.join(folder, saved % k))
            if got != want:
                print("%s: %r != %r" % (saved % k, got, want))
                return 1
    return 0


if __name__ == "__main__":
    if sys.argv[1] == "gen":
        gen(int(sys.argv[2]), int(sys.argv[3]), sys.argv[4])
    else:
        sys.exit(check(int(sys.argv[2]), sys.argv[3]))
