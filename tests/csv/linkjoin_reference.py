# The link join's outside judge.
#
#   linkjoin_reference.py gen DIR     writes the CP932 files of every case and
#                                     DIR/cases.txt (one case a line:
#                                     name|opt1|opt2|otherColumns|key|otherKey|insertBefore)
#   linkjoin_reference.py check DIR   reads the join's output DIR/<name>.out.csv
#                                     of each case back with the csv module and
#                                     prints "OK <name>" or "DIFF <name> ..."
#
# The expected rows come from sqlite3 (Python's module, after decoding the
# CP932 files): keys are compared as their CP932 bytes (BLOB order), row
# order is kept as a column.
#
# Files: table t_<name>.csv (keys unquoted, quoted commas and multi-line cells
# in other columns), other o_<name>.csv (every cell quoted, duplicate keys,
# keys without partner, multi-line cells). Keys use katakana and kanji whose
# second byte is ASCII (0x83 0x5C, 0x95 0x5C).
import bisect
import csv
import io
import random
import sqlite3
import sys

rng = random.Random(20261208)
SO, HYO = "\u30bd", "\u8868"  # 0x83 0x5C, 0x95 0x5C
PARTS = [SO, HYO, "A", "b", "\u30bf", "7", "\u80fd"]
WORDS = ["x,y", "line1\nline2", "\u30e1\u30e2", "plain", "", "a \"q\" b", SO + HYO]


def key(n):
    return "".join(rng.choice(PARTS) for _ in range(n))


def write(path, rows, quote_all):
    buf = io.StringIO()
    w = csv.writer(buf, lineterminator="\r\n", quoting=csv.QUOTE_ALL if quote_all else csv.QUOTE_MINIMAL)
    w.writerows(rows)
    with open(path, "wb") as f:
        f.write(buf.getvalue().encode("cp932"))


def read(path):
    with open(path, "rb") as f:
        text = f.read().decode("cp932")
    return [r for r in csv.reader(io.StringIO(text, newline=""))]


def exact_files(nt=300, no=200):
    keys = [key(rng.randint(1, 4)) for _ in range(120)]
    table = [["id", "name", "note"]]
    for i in range(nt):
        table.append([rng.choice(keys), "n%d" % i, rng.choice(WORDS)])
    other = [["okey", "amount", "memo"]]
    for i in range(no):
        other.append([rng.choice(keys) if rng.random() < 0.8 else key(5), str(i), rng.choice(WORDS)])
    return table, other


def prefix_files():
    stems = [key(2) for _ in range(30)]
    table = [["code", "v"]]
    for i in range(250):
        table.append([rng.choice(stems) + key(rng.randint(0, 3)), str(i)])
    other = [["pre", "what"]]
    for i in range(120):
        other.append([rng.choice(stems)[: rng.randint(1, 2)] + key(rng.randint(0, 2)), "w%d" % i])
    return table, other


def range_files():
    table = [["num", "v"]]
    for i in range(200):
        table.append([str(rng.randint(0, 400)), "r%d" % i])
    other = [["band", "label"], ["&100&199", "hundreds"], ["&200-", "big"], ["&50&99", "fifties"],
             ["150", "exact150"], ["&10&20", "teens"]]
    return table, other


CASES = []  # (name, files, opt1, opt2, otherColumns, key, otherKey, insertBefore)


def gen(d):
    t, o = exact_files()
    for name, o1, o2 in [("plain", "", ""), ("single", "s", ""), ("both", "b", ""), ("both2", "", "b"),
                         ("pairs", "e", ""), ("one", "1", "")]:
        CASES.append((name, (t, o), o1, o2, "", 1, 1, 0))
    CASES.append(("lead2", (t, o), "", "", "", 1, 1, 3))
    CASES.append(("front", (t, o), "", "", "", 1, 1, 1))
    CASES.append(("dropkey", (t, o), "", "", "!1,3,2", 1, 1, 0))
    CASES.append(("keymark", (t, o), "", "", "3,#1,2", 1, 0, 0))
    # the key in the table's second column, the other's third
    t2 = [[r[1], r[0], r[2]] for r in t]
    o2 = [[r[1], r[2], r[0]] for r in o]
    CASES.append(("keycols", (t2, o2), "", "", "", 2, 3, 0))
    p = prefix_files()
    CASES.append(("prefix", p, "p", "", "", 1, 1, 0))
    CASES.append(("count", p, "q", "", "", 1, 1, 0))
    r = range_files()
    CASES.append(("range", r, "", "", "", 1, 1, 0))
    with open(d + "/cases.txt", "w") as f:
        for name, (tt, oo), o1, o2, cols, k, ok, ib in CASES:
            write("%s/t_%s.csv" % (d, name), tt, False)
            write("%s/o_%s.csv" % (d, name), oo, True)
            f.write("|".join([name, o1, o2, cols, str(k), str(ok), str(ib)]) + "\n")


def kb(s):
    return s.encode("cp932")


def expected(d, name, o1, o2, cols, k, ok, ib):
    table = read("%s/t_%s.csv" % (d, name))
    other = read("%s/o_%s.csv" % (d, name))
    if o1 == "b":
        o1, o2 = o2, o1
    drop = cols.startswith("!")
    cols = cols.lstrip("!")
    okey = (ok - 1) if ok > 0 else 0
    if cols:
        sel = cols.split(",")
        if any(c.startswith("#") for c in sel):
            okey = [i for i, c in enumerate(sel) if c.startswith("#")][0]
        idx = [int(c.lstrip("#")) - 1 for c in sel]
        other = [[r[i] if i < len(r) else "" for i in idx] for r in other]
    ocols = len(other[0])
    fields = max(len(r) for r in table)
    L = fields if ib <= 0 or ib > fields else ib - 1
    nbk = o1 == "q"
    tk = k - 1 if k > 0 else 0

    def ocells(r):
        return r[1:] if drop else r

    db = sqlite3.connect(":memory:")
    db.execute("CREATE TABLE t (tpos INTEGER, k BLOB)")
    db.execute("CREATE TABLE o (opos INTEGER, k BLOB)")
    db.executemany("INSERT INTO t VALUES (?, ?)", [(i, kb(r[tk])) for i, r in enumerate(table) if i > 0])
    db.executemany("INSERT INTO o VALUES (?, ?)", [(i, kb(r[okey])) for i, r in enumerate(other) if i > 0])
    match = {}   # tpos -> (opos, count)
    if o1 in ("", "1", "s"):
        q = """SELECT t.tpos, (SELECT MAX(opos) FROM o WHERE o.k = t.k) FROM t"""
        if o1 == "s":
            q += " WHERE t.tpos = (SELECT MIN(x.tpos) FROM t AS x WHERE x.k = t.k)"
        for tpos, opos in db.execute(q):
            if opos is not None:
                match[tpos] = (opos, 0)
    elif o1 == "e":
        q = """SELECT a.tpos, b.opos FROM
                 (SELECT tpos, k, ROW_NUMBER() OVER (PARTITION BY k ORDER BY tpos) AS n FROM t) AS a
                 JOIN (SELECT opos, k, ROW_NUMBER() OVER (PARTITION BY k ORDER BY opos DESC) AS n FROM o) AS b
                 ON a.k = b.k AND a.n = b.n"""
        for tpos, opos in db.execute(q):
            match[tpos] = (opos, 0)
    elif o1 in ("p", "q"):
        # The longest key of the other file that begins the row's key (its last row).
        q = """SELECT t.tpos, (SELECT o.opos FROM o WHERE substr(t.k, 1, length(o.k)) = o.k
                               ORDER BY length(o.k) DESC, o.opos DESC LIMIT 1) FROM t"""
        blist = [(bytes(kk), pos) for pos, kk in db.execute("SELECT opos, k FROM o ORDER BY k, opos")]
        for tpos, opos in db.execute(q):
            if opos is None:
                continue
            tkey = kb(table[tpos][tk])
            cand = bisect.bisect_right(blist, (tkey, 1 << 30)) - 1
            taken = blist.index((kb(other[opos][okey]), opos))
            count = 0 if blist[cand][0] == tkey or tkey.startswith(blist[cand][0]) else cand - taken
            match[tpos] = (opos, count)
    # range keys: an exact key first, then the band holding the number
    if name == "range":
        db.execute("CREATE TABLE r (opos INTEGER, lo INTEGER, hi INTEGER)")
        for i, row in enumerate(other):
            kk = row[okey]
            if i > 0 and kk.startswith("&"):
                parts = kk[1:].rstrip("-").split("&")
                db.execute("INSERT INTO r VALUES (?, ?, ?)", (i, int(parts[0]), int(parts[1]) if len(parts) > 1 else 999999))
        for tpos, opos in db.execute(
                "SELECT t.tpos, (SELECT opos FROM r WHERE r.lo <= CAST(CAST(t.k AS TEXT) AS INTEGER) "
                "AND CAST(CAST(t.k AS TEXT) AS INTEGER) <= r.hi) FROM t"):
            if tpos not in match and opos is not None:
                match[tpos] = (opos, 0)
    both = o2 == "b"
    used = {m[0] for m in match.values()}
    recs = []
    for i, r in enumerate(table[1:], 1):
        recs.append((kb(r[tk]), 1, i))
    if both:
        for i, r in enumerate(other[1:], 1):
            if i not in used:
                recs.append((kb(r[okey]), 0, i))
    recs.sort()
    pad = ocols - (1 if drop else 0)
    out = []
    head = table[0]
    out.append(head[:L] + (["nbk"] if nbk else []) + ocells(other[0]) + head[L:])
    for _, side, pos in recs:
        if side == 1:
            r = table[pos]
            m = match.get(pos)
            mid = ([str(m[1]) if m else ""] if nbk else []) + (ocells(other[m[0]]) if m else [""] * pad)
            out.append(r[:L] + [""] * (L - len(r[:L])) + mid + r[L:])
        else:
            out.append([""] * L + ([""] if nbk else []) + ocells(other[pos]) + [""] * (fields - L))
    return out


def check(d):
    with open(d + "/cases.txt") as f:
        for line in f:
            name, o1, o2, cols, k, ok, ib = line.rstrip("\n").split("|")
            want = expected(d, name, o1, o2, cols, int(k), int(ok), int(ib))
            got = read("%s/%s.out.csv" % (d, name))
            if got == want:
                print("OK " + name)
                continue
            bad = next((i for i in range(min(len(got), len(want))) if got[i] != want[i]), min(len(got), len(want)))
            print("DIFF %s rows got %d want %d; first at %d: got %r want %r" % (
                name, len(got), len(want), bad, got[bad] if bad < len(got) else None,
                want[bad] if bad < len(want) else None))


if __name__ == "__main__":
    if sys.argv[1] == "gen":
        gen(sys.argv[2])
    else:
        check(sys.argv[2])
