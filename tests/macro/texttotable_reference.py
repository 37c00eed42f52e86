#!/usr/bin/env python3
"""Reference side of the view's text-to-table tests (lines into 0x06 fields).

gen SEED COUNT DIR     writes DIR/case_K.txt: Shift-JIS texts of TAB or '|'
                       separated lines (bar texts with "+---" rules and blank
                       lines between), and blank-aligned reports with a title
                       line, for K in 0..COUNT-1
check COUNT DIR        reads DIR/case_K.out (the converted table) with the
                       csv module (delimiter 0x06) and compares its fields
                       with Python's own parse of the input
Exit status 0 when everything agrees.
"""
import csv
import io
import os
import random
import sys

WORDS = ["apple", "kiwi", "x", "Tokyo", "a b", "12", "3.5", "-7", "z",
         "\u8868", "\u30dd\u30a4\u30f3\u30c8", "\u6771\u4eac"]  # 表 (trail 0x5C), ポ (trail 0x7C)


def field(rnd):
    w = rnd.choice(WORDS)
    r = rnd.random()
    if r < 0.15:
        w = w + "," + rnd.choice(WORDS)
    elif r < 0.22:
        w = '"' + w + "," + rnd.choice(WORDS) + '"'
    elif r < 0.32:
        w = w + " " * rnd.randint(1, 3)
    elif r < 0.40:
        w = ""
    return w


def gen_separated(rnd, sep):
    lines = []
    for i in range(rnd.randint(1, 25)):
        n = rnd.randint(5, 9) if sep == "|" else rnd.randint(3, 8)
        if sep == "|" and i > 0 and rnd.random() < 0.1:
            lines.append("+---+---+")
            continue
        if sep == "|" and i > 0 and rnd.random() < 0.05:
            lines.append("   ")
            continue
        fields = [field(rnd) for _ in range(n)]
        if sep == "|":
            fields = [f.replace('"', "") for f in fields]
        lines.append(sep.join(fields))
    return "".join(l + "\r\n" for l in lines)


def gen_report(rnd):
    ncols = rnd.randint(3, 6)
    widths = [rnd.randint(4, 9) for _ in range(ncols)]
    right = [rnd.random() < 0.5 for _ in range(ncols)]
    title = ["".join(rnd.choice("ABCDEFGH") for _ in range(rnd.randint(2, w))) for w in widths]
    rows = [title]
    for i in range(rnd.randint(2, 20)):
        row = []
        for w in widths:
            if i == 0:
                # One value of the full width: the column's span is known.
                v = "".join(rnd.choice("abcdefgh") for _ in range(w))
            elif rnd.random() < 0.5:
                v = str(rnd.randint(0, 10 ** min(w, 6) - 1))
            else:
                v = "".join(rnd.choice("abcdefgh") for _ in range(rnd.randint(1, w)))
            row.append(v[:w])
        rows.append(row)
    lines = []
    for k, row in enumerate(rows):
        cells = [v.ljust(w) if (k == 0 or not r) else v.rjust(w) for v, w, r in zip(row, widths, right)]
        lines.append(("   ".join(cells)).rstrip(" "))
    return "".join(l + "\r\n" for l in lines)


def gen(seed, count, folder):
    rnd = random.Random(seed)
    for k in range(count):
        kind = rnd.choice(["\t", "|", " "])
        text = gen_report(rnd) if kind == " " else gen_separated(rnd, kind)
        with open(os.path.join(folder, "case_%d.txt" % k), "wb") as f:
            f.write(text.encode("cp932"))
        with open(os.path.join(folder, "case_%d.kind" % k), "w") as f:
            f.write(kind)


def expected_rows(text, kind):
    if kind == " ":
        return [l.split() for l in text.split("\r\n")[:-1]]
    out = []
    for line in text.split("\r\n")[:-1]:
        if kind == "|" and (line.startswith("+---") or not line.strip()):
            continue
        row = next(csv.reader(io.StringIO(line, newline=""), delimiter=kind))
        row = [c.rstrip(" ") for c in row]
        if not out:
            row = [c if c else "_" for c in row]
        out.append(row)
    return out


def check(count, folder):
    bad = 0
    for k in range(count):
        with open(os.path.join(folder, "case_%d.txt" % k), "rb") as f:
            text = f.read().decode("cp932")
        with open(os.path.join(folder, "case_%d.kind" % k)) as f:
            kind = f.read()
        with open(os.path.join(folder, "case_%d.out" % k), "rb") as f:
            got = list(csv.reader(io.StringIO(f.read().decode("cp932"), newline=""), delimiter="\x06"))
        if kind == " ":
            got = [[c.strip(" ") for c in row] for row in got]
        want = expected_rows(text, kind)
        if got != want:
            bad += 1
            if bad <= 5:
                print("case %d (kind %r):\n  want %r\n  got  %r" % (k, kind, want[:4], got[:4]))
    print("%d of %d cases differ" % (bad, count))
    return bad == 0


def main():
    cmd = sys.argv[1]
    if cmd == "gen":
        gen(int(sys.argv[2]), int(sys.argv[3]), sys.argv[4])
    elif cmd == "check":
        sys.exit(0 if check(int(sys.argv[2]), sys.argv[3]) else 1)


if __name__ == "__main__":
    main()
