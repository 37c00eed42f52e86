# Writes the tables of the totals oracle test and prints what Python's
# decimal module computes for them.
#
#   totals_reference.py DIR
#
# DIR/t.csv      CP932, sorted on branch then item: branch, item, qty, amount,
#                label (qty with thousands commas, amounts with up to 6
#                places, negatives, quoted numbers, empty cells, multi-line
#                labels)
# DIR/ints.csv   CP932, the same rows as integers: branch, item, qty,
#                amount x 10^6 (for sqlite3)
# DIR/pivot.csv  CP932: branch, qty, branch, item (a two-level pivot whose
#                label is its outer key)
#
# Output lines (numbers in plain decimal form):
#   M<mode> D <total>                      a data row and its total
#   M<mode> S <qty> <amount> <total>       a subtotal or merged row
#   M<mode> T <qty> <amount> <total>       the grand-total row
#   G <qty> <amount> <label> <total>       a group summary line, in order
#   L <hex>                                the working-form label of row i
import csv
import decimal
import io
import itertools
import os
import random
import sys

decimal.getcontext().prec = 80
D = decimal.Decimal
out_dir = sys.argv[1]
rng = random.Random(20261208)

branches = ["\u30bd\u30d5\u30c8", "\u8868\u901a\u308a", "\u30bf\u30ef\u30fc", "\u6771\u4eac", "\u5927\u962a", "Nagoya"]
items = ["\u30bd", "\u8868", "\u30bf\u30f3\u30af", "pen", "\u80fd\u529b", "ink", "\u5341", "\u7a4d\u307f"]
words = ["\u30e1\u30e2", "\u5099\u8003", "\u30a2\u30f3\u30b1\u30fc\u30c8", "\u30bd\u30fc\u30b9"]

rows = []
for _ in range(20000):
    b = rng.choice(branches)
    it = rng.choice(items)
    q = rng.randint(-5000, 2000000)
    qty = f"{q:,}" if rng.random() < 0.5 else str(q)
    r = rng.random()
    if r < 0.05:
        amount = ""
    else:
        places = rng.randint(0, 6)
        whole = rng.randint(-99999, 999999)
        frac = rng.randint(0, 10 ** places - 1) if places else 0
        if whole == 0 and frac == 0:
            whole = 1
        amount = (f"{whole}" if places == 0 else f"{whole}.{frac:0{places}d}")
        if whole < 0 and rng.random() < 0.5:
            amount = "-" + f"{-whole:,}" + amount[len(str(whole)):]
    lines = rng.randint(1, 3)
    label = "\r\n".join(rng.choice(words) for _ in range(lines))
    rows.append((b, it, qty, amount, label))
rows.sort(key=lambda r: (r[0].encode("cp932"), r[1].encode("cp932")))


def write(path, header, data, quote_some):
    # Every seventh row has its numbers and label quoted; the key cells stay
    # bare, since a key compares as the bytes of its cell, quotes included.
    buf = io.StringIO(newline="")
    plain = csv.writer(buf, lineterminator="\r\n")
    quoted = csv.writer(buf, lineterminator="\r\n", quoting=csv.QUOTE_ALL)
    plain.writerow(header)
    for k, r in enumerate(data):
        if quote_some and k % 7 == 3:
            inner = io.StringIO(newline="")
            csv.writer(inner, lineterminator="\r\n", quoting=csv.QUOTE_ALL).writerow(r[2:])
            buf.write(",".join(r[:2]) + "," + inner.getvalue())
        else:
            plain.writerow(r)
    with open(path, "wb") as f:
        f.write(buf.getvalue().encode("cp932"))


write(os.path.join(out_dir, "t.csv"), ["branch", "item", "qty", "amount", "label"], rows, True)


def num(s):
    return D(s.replace(",", "")) if s else D(0)


def micro(s):
    return int(num(s) * 1000000)


write(os.path.join(out_dir, "ints.csv"), ["branch", "item", "qty", "amount"],
      [(b, it, int(num(q)), micro(a)) for b, it, q, a, _ in rows], False)
write(os.path.join(out_dir, "pivot.csv"), ["branch", "qty", "b2", "item"],
      [(b, int(num(q)), b, it) for b, it, q, a, _ in rows], False)


def f(d):
    return format(d, "f")


def emit(*parts):
    print(" ".join(parts))


# Totals, modes 0-3, columns 3 and 4 summed, key column 1.
for mode in range(4):
    gq, ga = D(0), D(0)
    groups = [list(g) for _, g in itertools.groupby(rows, key=lambda r: r[0])]
    for g in groups:
        sq, sa = D(0), D(0)
        for r in g:
            if mode == 2:
                q, a = D(1 if r[2] else 0), D(1 if r[3] else 0)
            else:
                q, a = num(r[2]), num(r[3])
            sq += q
            sa += a
            if mode != 3 or len(g) == 1:
                if mode != 3 or r is g[0]:
                    emit(f"M{mode}", "D", f(q + a))
        gq += sq
        ga += sa
        if (mode == 1 and len(groups) > 1) or (mode == 3 and len(g) > 1):
            emit(f"M{mode}", "S", f(sq), f(sa), f(sq + sa))
    emit(f"M{mode}", "T", f(gq), f(ga), f(gq + ga))

# The group summary on (branch, item): group lines, outer "--total--" lines,
# the grand line; the label column reads as 0.
gq, ga = D(0), D(0)
for _, outer in itertools.groupby(rows, key=lambda r: r[0]):
    oq, oa = D(0), D(0)
    for _, g in itertools.groupby(list(outer), key=lambda r: r[1]):
        g = list(g)
        sq = sum((num(r[2]) for r in g), D(0))
        sa = sum((num(r[3]) for r in g), D(0))
        emit("G", f(sq), f(sa), "0", f(sq + sa))
        oq += sq
        oa += sa
    emit("G", f(oq), f(oa), "0", f(oq + oa))
    gq += oq
    ga += oa
emit("G", f(gq), f(ga), "0", f(gq + ga))

# The labels as the working form holds them: a quoted cell keeps its quotes,
# a line break inside it becomes the in-cell codes.
for k, r in enumerate(rows):
    lab = r[4]
    if "\r" in lab or k % 7 == 3:
        lab = '"' + lab.replace("\r", "\x7f").replace("\n", "\x0e") + '"'
    emit("L", lab.encode("cp932").hex())
