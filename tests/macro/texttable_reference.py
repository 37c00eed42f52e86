#!/usr/bin/env python3
"""Reference side of the text-to-table tests.

gen SEED COUNT DIR     writes DIR/case_K.txt (input text) and DIR/case_K.sep
                       (the separator byte) for K in 0..COUNT-1
check COUNT DIR        reads DIR/case_K.out (the converted table, fields
                       separated by 0x06) and compares its fields with
                       Python's own parse of the input
report SEED COUNT DIR  writes DIR/report_K.txt, aligned report texts, and
                       DIR/report_K.want (the expected cells, one row a line,
                       TAB between cells)
cut COUNT DIR          reads DIR/report_K.spec (the layout found) and
                       DIR/report_K.out (the cut table) and compares the
                       cells with Python's slicing at the layout's positions
Exit status 0 when everything agrees.
"""
import csv
import io
import os
import random
import sys

WORDS = ["apple", "kiwi", "x", "Tokyo", "a b", "12", "3.5", "-7", "mid dle", "z"]


def gen(seed, count, folder):
    rnd = random.Random(seed)
    for k in range(count):
        sep = rnd.choice([",", "\t", "|"])
        lines = []
        for _ in range(rnd.randint(1, 30)):
            fields = []
            for _ in range(rnd.randint(2, 8)):
                w = rnd.choice(WORDS)
                r = rnd.random()
                if sep == "," and r < 0.2:
                    w = '"' + w + "," + rnd.choice(WORDS) + '"'
                elif sep != "," and r < 0.2:
                    w = w + "," + rnd.choice(WORDS)
                elif r < 0.3:
                    w = w + " " * rnd.randint(1, 3)
                elif r < 0.35:
                    w = ""
                fields.append(w)
            lines.append(sep.join(fields))
        ends = [rnd.choice(["\r\n", "\n"]) for _ in lines]
        text = "".join(l + e for l, e in zip(lines, ends))
        if rnd.random() < 0.3:
            text = text[: -len(ends[-1])]
        with open(os.path.join(folder, "case_%d.txt" % k), "w", newline="") as f:
            f.write(text)
        with open(os.path.join(folder, "case_%d.sep" % k), "w", newline="") as f:
            f.write(sep)


def expected_rows(text, sep):
    rows = list(csv.reader(io.StringIO(text, newline=""), delimiter=sep))
    out = []
    for i, row in enumerate(rows):
        if sep != "\t":
            row = [c.rstrip(" ") for c in row]
        if i == 0 and row:
            row[0] = row[0].lstrip(" ")
        out.append(row)
    return out


def check(count, folder):
    bad = 0
    for k in range(count):
        with open(os.path.join(folder, "case_%d.txt" % k), newline="") as f:
            text = f.read()
        with open(os.path.join(folder, "case_%d.sep" % k), newline="") as f:
            sep = f.read()
        with open(os.path.join(folder, "case_%d.out" % k), newline="") as f:
            got = list(csv.reader(io.StringIO(f.read(), newline=""), delimiter="\x06"))
        want = expected_rows(text, sep)
        if got != want:
            bad += 1
            if bad <= 5:
                print("case %d (sep %r):\n  want %r\n  got  %r" % (k, sep, want[:3], got[:3]))
    print("%d of %d cases differ" % (bad, count))
    return bad == 0


def report(seed, count, folder):
    rnd = random.Random(seed)
    for k in range(count):
        ncols = rnd.randint(2, 7)
        widths = [rnd.randint(2, 9) for _ in range(ncols)]
        right = [rnd.random() < 0.5 for _ in range(ncols)]
        rows = []
        for _ in range(rnd.randint(2, 25)):
            row = []
            for w in widths:
                kind = rnd.random()
                if kind < 0.4:
                    v = str(rnd.randint(0, 10 ** min(w, 6) - 1))
                elif kind < 0.5 and w >= 5:
                    v = "1,234"
                else:
                    v = "".join(rnd.choice("abcdefgh") for _ in range(rnd.randint(1, w)))
                row.append(v[:w])
            rows.append(row)
        lines = []
        for row in rows:
            cells = [v.rjust(w) if r else v.ljust(w) for v, w, r in zip(row, widths, right)]
            lines.append(("  ".join(cells)).rstrip(" "))
        with open(os.path.join(folder, "report_%d.txt" % k), "w", newline="") as f:
            f.write("".join(l + "\r\n" for l in lines))
        with open(os.path.join(folder, "report_%d.want" % k), "w", newline="") as f:
            for row in rows:
                f.write("\t".join(row) + "\n")


def spans(spec):
    """Column spans [a, b) of a layout text (gaps are written with 's')."""
    out, pos = [], 0
    for entry in spec.split(","):
        gap = entry.endswith("s")
        w = int(entry.rstrip("s"))
        if not gap:
            out.append((pos, pos + w))
        pos += w
    return out


def cut(count, folder):
    bad = 0
    for k in range(count):
        with open(os.path.join(folder, "report_%d.txt" % k), newline="") as f:
            lines = f.read().split("\r\n")[:-1]
        with open(os.path.join(folder, "report_%d.spec" % k)) as f:
            spec = f.read().strip()
        with open(os.path.join(folder, "report_%d.out" % k), newline="") as f:
            got = list(csv.reader(io.StringIO(f.read(), newline=""), delimiter="\x06"))
        with open(os.path.join(folder, "report_%d.want" % k)) as f:
            generated = [l.split("\t") for l in f.read().split("\n")[:-1]]
        # Slices with their trailing blanks cut, as the cut writes them.
        sliced = [[line[a:b].rstrip(" ") for a, b in spans(spec)] for line in lines]
        if got != sliced or [[c.strip(" ") for c in row] for row in got] != generated:
            bad += 1
            if bad <= 5:
                print("report %d spec %s:\n  sliced %r\n  made   %r\n  got    %r" % (k, spec, sliced[:2], generated[:2], got[:2]))
    print("%d of %d reports differ" % (bad, count))
    return bad == 0


def main():
    cmd = sys.argv[1]
    if cmd == "gen":
        gen(int(sys.argv[2]), int(sys.argv[3]), sys.argv[4])
    elif cmd == "check":
        sys.exit(0 if check(int(sys.argv[2]), sys.argv[3]) else 1)
    elif cmd == "report":
        report(int(sys.argv[2]), int(sys.argv[3]), sys.argv[4])
    elif cmd == "cut":
        sys.exit(0 if cut(int(sys.argv[2]), sys.argv[3]) else 1)


if __name__ == "__main__":
    main()
