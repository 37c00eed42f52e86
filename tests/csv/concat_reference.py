#!/usr/bin/env python3
"""Reference for the column append and the vertical concatenation.

gen DIR   writes the CP932 files of each case with the csv module and
          DIR/cases.txt: name|operation|skipLines|mode (operation "append"
          or "concat"); the table is t_NAME.csv, the other file o_NAME.csv.
check DIR reads each DIR/NAME.out.csv with the csv module and compares it
          with the rows the operation must give; prints "OK name" or
          "FAIL name: ..." per case.
"""
import csv
import io
import os
import sys

ENC = "cp932"

TITLE = ["コード", "品名", "数量", "備考"]
# Trail bytes 0x5C (ソ, 表), quoted commas, multi-line cells, a quote.
TABLE_ROWS = [
    ["A01", "ソース", "1", "表計算,メモ"],
    ["A02", "\"引用\"", "22", "一行目\r\n二行目"],
    ["A03", "能力", "333", ""],
    ["A04", "plain", "4", "x"],
]
OTHER_ROWS = [
    ["B01", "予定表", "5", "改行\r\nあり,カンマ"],
    ["B02", "ソ", "66", ""],
    ["B03", "z", "7", "末尾"],
]


def write(path, rows, lead=(), lineterminator="\r\n"):
    buf = io.StringIO()
    for line in lead:
        buf.write(line + lineterminator)
    w = csv.writer(buf, lineterminator=lineterminator)
    for r in rows:
        w.writerow(r)
    with open(path, "wb") as f:
        f.write(buf.getvalue().encode(ENC))


def reorder(title, rows, order):
    idx = {t: i for i, t in enumerate(title)}
    return [order] + [[r[idx[t]] for t in order] for r in rows]


def cases():
    """name -> (op, skip, mode, table rows with title, other rows with title, lead lines of the other, expected)"""
    out = {}
    table = [TITLE] + TABLE_ROWS
    other = [TITLE] + OTHER_ROWS
    # Concatenation from the menu: the other file's "~" lines and title go.
    out["menu"] = ("concat", 9999, 0, table, other, ["~month 2", "~printed"], table + OTHER_ROWS)
    # A count of lines: the first two lines of the other file go.
    out["skip2"] = ("concat", 2, 0, table, other, [], table + OTHER_ROWS[1:])
    # Mode 2: the other file's columns in another order, extra and fewer.
    order = ["数量", "コード", "備考", "品名"]
    o = reorder(TITLE, OTHER_ROWS, order)
    out["mode2_order"] = ("concat", 9999, 2, table, o, [], table + OTHER_ROWS)
    extra = ["品名", "追加", "コード", "数量", "備考"]
    ox = [extra] + [[r[1], "x" + r[0], r[0], r[2], r[3]] for r in OTHER_ROWS]
    out["mode2_extra"] = ("concat", 9999, 2, table, ox, [], table + OTHER_ROWS)
    fewer = ["品名", "コード"]
    of = [fewer] + [[r[1], r[0]] for r in OTHER_ROWS]
    out["mode2_fewer"] = ("concat", 9999, 2, table, of, [], table + [[r[0], r[1], "", ""] for r in OTHER_ROWS])
    # Mode 6: the extra column follows, and the table's rows get it empty.
    exp6 = [TITLE + ["追加"]] + [r + [""] for r in TABLE_ROWS] + [r + ["x" + r[0]] for r in OTHER_ROWS]
    out["mode6_extra"] = ("concat", 9999, 6, table, ox, [], exp6)
    out["mode6_fewer"] = ("concat", 9999, 6, table, of, [], table + [[r[0], r[1], "", ""] for r in OTHER_ROWS])
    # The column append: fewer file rows give empty cells, more are unused.
    short = [["k", "v"], ["1", "あ\r\nい"], ["2", "ソ,表"]]
    exp = [table[i] + (short[i] if i < len(short) else ["", ""]) for i in range(len(table))]
    out["append_fewer"] = ("append", 0, 0, table, short, [], exp)
    long_ = [["k"]] + [[str(i)] for i in range(20)]
    out["append_more"] = ("append", 0, 0, table, long_, [], [table[i] + long_[i] for i in range(len(table))])
    return out


def gen(d):
    lines = []
    for name, (op, skip, mode, table, other, lead, _) in cases().items():
        write(os.path.join(d, "t_%s.csv" % name), table)
        write(os.path.join(d, "o_%s.csv" % name), other, lead)
        lines.append("%s|%s|%d|%d" % (name, op, skip, mode))
    with open(os.path.join(d, "cases.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


def check(d):
    for name, (_, _, _, _, _, _, expected) in cases().items():
        path = os.path.join(d, name + ".out.csv")
        if not os.path.exists(path):
            print("FAIL %s: no output" % name)
            continue
        with open(path, "rb") as f:
            text = f.read().decode(ENC)
        got = list(csv.reader(io.StringIO(text, newline="")))
        got = [r for r in got if r]
        if got == expected:
            print("OK %s" % name)
        else:
            print("FAIL %s: got %r expected %r" % (name, got, expected))


if __name__ == "__main__":
    {"gen": gen, "check": check}[sys.argv[1]](sys.argv[2])
