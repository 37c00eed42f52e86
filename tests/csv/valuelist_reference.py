"""Writes a CP932 table with Python's csv module and counts the values of
its second column with collections.Counter, as the narrowing selection's
value list reads a field: the field as the writer wrote it, an opening
quote skipped unless a quote follows, cut at the first line break, bytes
below 0x20 dropped, at most `width` bytes without a split character, then a
trailing unpaired quote dropped; an empty cell is NULL.

usage: valuelist_reference.py OUT.csv  -> lines "width hex(value) count"
"""
import collections
import csv
import random
import sys

POOL = ["東京", "大阪", "ソ表", 'a"b', '"q', 'q"', "x,y", "名古屋\n中区", "line\r\nz", "", "abcdefXYZ",
        "abcdefQ", "あいうえ", "ﾊﾝｶｸ", 'say "hi"', "\nlead", "長い値" * 5]


def raw_field(cell):
    # csv.writer's minimal quoting.
    if any(c in cell for c in '",\r\n'):
        return '"' + cell.replace('"', '""') + '"'
    return cell


def list_value(cell, width):
    if cell == "":
        return b"NULL"
    raw = raw_field(cell).encode("cp932")
    if raw[:1] == b'"' and not (len(raw) > 1 and (raw[1:2] == b'"')):
        raw = raw[1:]
    # The first line break ends the value.
    for i, b in enumerate(raw):
        if b in (0x0D, 0x0A):
            raw = raw[:i]
            break
    raw = bytes(b for b in raw if b >= 0x20)
    limit = min(width, 99)
    # Whole characters only within the limit.
    out = b""
    for ch in raw.decode("cp932"):
        e = ch.encode("cp932")
        if len(out) + len(e) > limit:
            break
        out += e
    if len(out) >= 2 and out.endswith(b'"') and out[-2:-1] != b'"':
        out = out[:-1]
    return out


def main():
    rng = random.Random(20261207)
    rows = [["id", "地域", "額"]]
    for i in range(3000):
        rows.append(["r%d" % i, rng.choice(POOL), str(rng.randint(0, 99))])
    with open(sys.argv[1], "w", newline="", encoding="cp932") as f:
        csv.writer(f).writerows(rows)
    with open(sys.argv[1], newline="", encoding="cp932") as f:
        read = list(csv.reader(f))
    assert read == rows
    for width in (100, 6):
        counts = collections.Counter(list_value(r[1], width) for r in read[1:])
        for value, n in counts.items():
            if value:
                print(width, value.hex(), n)


main()
