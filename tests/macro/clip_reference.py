#!/usr/bin/env python3
"""Random clipboard texts and the table Python's csv module reads from them.

gen SEED COUNT DIR writes DIR/case_K.txt (Shift-JIS text, CR LF rows, comma
or TAB separated, fields quoted where they hold a separator, a quote or, at
random, anything) and DIR/case_K.want (the rows csv.reader gives, in Shift-JIS: fields
joined by 0x1F, rows ended by 0x1E)."""
import csv
import io
import random
import sys

ALPHABET = "abcXYZ019 .-" + "表ソ能日本語ｱｲ" + ",\t\""


def field(rng, delim):
    n = rng.randint(0, 6)
    chars = [rng.choice(ALPHABET) for _ in range(n)]
    if delim == ",":
        chars = [c for c in chars if c != "\t"]  # a comma text holds no TAB
    return "".join(chars)


def quote(rng, f, delim):
    if any(c in f for c in ",\t\"") or rng.random() < 0.2:
        return '"' + f.replace('"', '""') + '"'
    return f


def one_case(rng):
    while True:
        delim = rng.choice([",", "\t"])
        rows = []
        for _ in range(rng.randint(1, 8)):
            cols = rng.randint(1, 5)
            rows.append([field(rng, delim) for _ in range(cols)])
        text = "\r\n".join(delim.join(quote(rng, f, delim) for f in r) for r in rows) + "\r\n"
        raw = text.encode("cp932")
        head = raw[:999]
        balance = head.count(b",") - head.count(b"\t")
        if (delim == "\t") == (balance < 0):
            break
    parsed = list(csv.reader(io.StringIO(text, newline=""), delimiter=delim))
    want = b"".join(b"\x1f".join(f.encode("cp932") for f in r) + b"\x1e" for r in parsed)
    return raw, want


def main():
    if len(sys.argv) != 5 or sys.argv[1] != "gen":
        sys.exit("usage: clip_reference.py gen SEED COUNT DIR")
    rng = random.Random(int(sys.argv[2]))
    for k in range(int(sys.argv[3])):
        raw, want = one_case(rng)
        with open(f"{sys.argv[4]}/case_{k}.txt", "wb") as f:
            f.write(raw)
        with open(f"{sys.argv[4]}/case_{k}.want", "wb") as f:
            f.write(want)


main()
