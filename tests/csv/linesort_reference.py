"""Writes a CP932 table with Python's csv module (cells with CR LF and LF
inside, quoted commas, doubled quotes, long cells) and, for each of columns
2 and 3, the same table with its data rows in the order of Python's stable
sort on the text key bytes: the field as written after one leading double
quote, its line breaks as the in-cell codes (CR 0x7F, LF 0x0E), at most 122
bytes, followed by the key end 0x06.

usage: linesort_reference.py folder
"""
import csv
import io
import os
import random
import sys

PIECES = ["ソ", "表", "タ", "能", "a", "b", "B", "z", ",", '"', "\r\n", "\n", " ", "1", "-", "〜", "ｱ", "(", "x" * 130]


def cell(rng):
    return "".join(rng.choice(PIECES) for _ in range(rng.randint(0, 5)))


def raw_field(value):
    # QUOTE_MINIMAL: quoted when the value holds the delimiter, a quote or a
    # line break.
    if any(c in value for c in ',"\r\n'):
        return '"' + value.replace('"', '""') + '"'
    return value


def key(value):
    raw = raw_field(value).encode("cp932")
    if raw.startswith(b'"'):
        raw = raw[1:]
    raw = raw.replace(b"\r", b"\x7f").replace(b"\n", b"\x0e")
    return raw[:122] + b"\x06"


def write(path, rows):
    buf = io.StringIO(newline="")
    w = csv.writer(buf, lineterminator="\r\n")
    w.writerows(rows)
    with open(path, "wb") as f:
        f.write(buf.getvalue().encode("cp932"))


def main():
    folder = sys.argv[1]
    rng = random.Random(24)
    title = ["id", "name", "memo", "amount"]
    rows = [[str(i), cell(rng), cell(rng), str(rng.randint(-999, 999))] for i in range(600)]
    write(os.path.join(folder, "table.csv"), [title] + rows)
    for column in (2, 3):
        ordered = sorted(rows, key=lambda r: key(r[column - 1]))
        write(os.path.join(folder, "sorted%d.csv" % column), [title] + ordered)


main()
