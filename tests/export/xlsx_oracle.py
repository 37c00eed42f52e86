#!/usr/bin/python3
"""The outside checks of workbooks the export wrote from generated tables.

    xlsx_oracle.py corpus DIR      writes the tables (CASE.csv, Shift-JIS) and
                                   what each sheet must hold (CASE.json)
    xlsx_oracle.py check DIR       checks every DIR/CASE.xlsx; prints one line
                                   per problem, exits 1 when there is any
    xlsx_oracle.py pdfcheck CSV TEXT
                                   checks pdftotext's TEXT (UTF-8) of the
                                   workbook written from CSV, as LibreOffice
                                   prints it: every Japanese cell text of the
                                   first sheet is there

The checks, per workbook: unzip -t; Python's zipfile (CRCs, names); xmllint
--noout on every XML part; xlsx_check.py (relationships, content types,
ids, styles, counts, sheet names); openpyxl's values and types of every
sheet against the table's rows; and one LibreOffice run that converts every
sheet of every workbook to CSV, whose texts must show the same values.
"""
import csv
import glob
import io
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))

# Text cells: Japanese, the code page's extension characters (NEC and IBM
# rows), characters whose second byte is '\' or '^' in Shift-JIS, and the
# XML specials.
TEXTS = ["売上高", "ソフト表示", "①②③", "Ⅱ型", "㈱テスト", "髙橋", "～波", "＼円", "能力", "予定表",
         "a<b & c", "x&y;", "x>y", "abc", "Tokyo", "12.5.3", "1-2", "ｶﾀｶﾅ", "㍻元年", "∑計"]
FORMULAS = [("=1+2", 3), ("=2*3", 6), ("=10-4", 6), ("=7*6", 42)]


def cell(rng):
    kind = rng.randrange(6)
    if kind == 0:
        v = rng.randrange(-99999, 99999)
        return str(v), ("n", v)
    if kind == 1:
        v = rng.randrange(-99999, 99999) / 100.0
        text = "%.2f" % v
        return text, ("n", float(text))
    if kind == 2:
        v = rng.randrange(1000, 9999999)
        return '"{:,}"'.format(v), ("n", v)
    if kind == 3:
        f, v = rng.choice(FORMULAS)
        return f, ("f", f, v)
    t = rng.choice(TEXTS)
    return ('"%s"' % t.replace('"', '""') if ('"' in t or "," in t) else t), ("s", t)


def title_row(cols, tag):
    return [("%s列%d" % (tag, c + 1), ("s", "%s列%d" % (tag, c + 1))) for c in range(cols)]


def block(rng, rows, cols, tag):
    out = [title_row(cols, tag)]
    for _ in range(rows):
        out.append([cell(rng) for _ in range(cols)])
    return out


# A text line closing each block. The table engine decides by the fields of a
# block's last lines whether the last one is a data row or a note below the
# table; this line takes that place and is not compared.
def trailer(cols):
    return [("計", None)] + [("備考", None)] * (cols - 1)


def write_case(folder, name, heads, blocks, tail=""):
    lines, sheets = [], []
    for head, (sheet_name, rows) in zip(heads, blocks):
        if head is not None:
            lines.append(head)
        for r in rows + [trailer(len(rows[0]))]:
            lines.append(",".join(c[0] for c in r))
        sheets.append({"name": sheet_name, "rows": [[c[1] for c in r] for r in rows]})
    if tail:
        lines.append(tail)
    text = "\r\n".join(lines) + "\r\n"
    with open(os.path.join(folder, name + ".csv"), "wb") as f:
        f.write(text.encode("cp932"))
    return sheets


def corpus(folder):
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(66)
    cases = {}
    cases["one"] = {"sheets": write_case(folder, "one", [None], [("Sheet1", block(rng, 12, 6, "A"))])}
    three = [("売上", block(rng, 8, 5, "S")), ("在庫", block(rng, 6, 4, "Z")), ("メモ①", block(rng, 5, 3, "M"))]
    sheets = write_case(folder, "three", ["!#:" + n for n, _ in three], three, tail="$$2:3:1:2")
    cases["three"] = {"sheets": sheets, "order": [3, 1, 2], "active": 1}
    many = [("S%d" % (i + 1), block(rng, 2, 4, "B")) for i in range(255)]
    cases["many"] = {"sheets": write_case(folder, "many", ["!#:" + n for n, _ in many], many)}
    cases["big"] = {"sheets": write_case(folder, "big", [None], [("Sheet1", block(rng, 2000, 30, "L"))])}
    for name, c in cases.items():
        with open(os.path.join(folder, name + ".json"), "w", encoding="utf-8") as f:
            json.dump(c, f, ensure_ascii=False)
    print(" ".join(cases))


def run(cmd, **kw):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kw)


def find_rows(got, want):
    """Index in `got` at which the rows `want` start, or -1."""
    for start in range(0, len(got) - len(want) + 1):
        if got[start] == want[0] and got[start:start + len(want)] == want:
            return start
    return -1


def expect_openpyxl(rows):
    out = []
    for r in rows:
        line = []
        for c in r:
            if c[0] == "f":
                # The formula element keeps the field's '=' (openpyxl adds one more).
                line.append(("f", "=" + c[1]))
            elif c[0] == "n":
                line.append(("n", c[1]))
            else:
                line.append(("s", c[1]))
        out.append(line)
    return out


def got_openpyxl(ws, cols):
    rows = []
    for r in ws.iter_rows(max_col=cols):
        line = []
        for c in r:
            if c.data_type == "f":
                line.append(("f", c.value))
            elif c.data_type == "n" and c.value is not None:
                line.append(("n", c.value))
            else:
                line.append(("s", c.value))
        rows.append(line)
    return rows


def same_shown(got, want):
    """LibreOffice's text of a cell against the table's cell: numbers and
    formula results by value (the text follows the cell's number format),
    texts exactly."""
    if want[0] in ("n", "f"):
        value = want[1] if want[0] == "n" else want[2]
        try:
            return abs(float(got.replace(",", "").strip()) - value) < 1e-9
        except ValueError:
            return False
    return got == want[1]


def check_case(path, case, problems):
    say = lambda m: problems.append("%s: %s" % (os.path.basename(path), m))
    r = run(["unzip", "-tq", path])
    if r.returncode != 0:
        say("unzip -t: " + r.stdout.decode("utf-8", "replace").strip())
    try:
        z = zipfile.ZipFile(path)
    except zipfile.BadZipFile as e:
        say("zipfile: %s" % e)
        return
    bad = z.testzip()
    if bad:
        say("zipfile: bad CRC in " + bad)
    with tempfile.TemporaryDirectory() as tmp:
        z.extractall(tmp)
        xml = [os.path.join(dp, f) for dp, _, fs in os.walk(tmp) for f in fs if f.endswith((".xml", ".rels"))]
        r = run(["xmllint", "--noout"] + xml)
        if r.returncode != 0:
            say("xmllint: " + r.stdout.decode("utf-8", "replace").strip()[:2000])
    r = run(["/usr/bin/python3", os.path.join(HERE, "xlsx_check.py"), path])
    if r.returncode != 0:
        say("xlsx_check: " + r.stdout.decode("utf-8", "replace").strip()[:2000])

    import openpyxl
    wb = openpyxl.load_workbook(path)
    names = [s["name"] for s in case["sheets"]]
    order = case.get("order") or list(range(1, len(names) + 1))
    want_names = [names[i - 1] for i in order]
    if wb.sheetnames != want_names:
        say("sheet names %s, expected %s" % (wb.sheetnames[:8], want_names[:8]))
        return
    if case.get("active", 0) != wb.index(wb.active):
        say("active sheet %d, expected %d" % (wb.index(wb.active), case.get("active", 0)))
    for pos, number in enumerate(order):
        sheet = case["sheets"][number - 1]
        rows = sheet["rows"]
        cols = len(rows[0])
        want = expect_openpyxl(rows[1:])
        got = got_openpyxl(wb.worksheets[pos], cols)
        if find_rows(got, want) < 0:
            detail = ""
            for g, w in zip(got[-len(want):], want):
                if g != w:
                    detail = "first difference: got %s expected %s" % (g, w)
                    break
            say("sheet %s: openpyxl rows differ (%d rows read); %s" % (sheet["name"], len(got), detail))


def check_libreoffice(folder, cases, problems):
    out = os.path.join(folder, "lo-csv")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    profile = "file://" + os.path.join(os.path.abspath(folder), "lo-profile")
    books = [os.path.join(folder, c + ".xlsx") for c in cases]
    # All sheets (-1), UTF-8 (76), comma-separated, formula results.
    try:
        r = run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to",
                 "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1",
                 "--outdir", out] + books, timeout=600)
    except subprocess.TimeoutExpired:
        problems.append("LibreOffice did not finish within 600 seconds")
        return
    if r.returncode != 0:
        problems.append("LibreOffice: " + r.stdout.decode("utf-8", "replace")[-2000:])
        return
    for name, case in cases.items():
        for sheet in case["sheets"]:
            f = os.path.join(out, "%s-%s.csv" % (name, sheet["name"]))
            if not os.path.exists(f):
                problems.append("%s: LibreOffice wrote no sheet %s" % (name, sheet["name"]))
                continue
            with open(f, encoding="utf-8", newline="") as h:
                got = [row for row in csv.reader(h)]
            want = sheet["rows"][1:]
            cols = len(want[0])
            got = [(row + [""] * cols)[:cols] for row in got]
            match = lambda g, w: all(same_shown(a, b) for a, b in zip(g, w))
            if not any(all(match(got[i + k], want[k]) for k in range(len(want)))
                       for i in range(len(got) - len(want) + 1)):
                detail = ""
                for g, w in zip(got[-len(want) - 1:], want):
                    if not match(g, w):
                        detail = "first difference: got %s expected %s" % (g, w)
                        break
                problems.append("%s: LibreOffice sheet %s differs (%d rows); %s" % (name, sheet["name"], len(got), detail))


def first_sheet_cells(text):
    """The cells of a table's first sheet: the lines before the second block
    head ("!#", "!*"), the first head itself and a "$$" list left out."""
    lines, heads = [], 0
    for line in text.split("\r\n"):
        if line.startswith(("!#", "!*")):
            heads += 1
            if heads == 2 or lines:
                break
            continue
        if line.startswith("$$") or not line:
            continue
        lines.append(line)
    return [c for row in csv.reader(io.StringIO("\r\n".join(lines), newline="")) for c in row]


def pdfcheck(table, pdftext):
    """Every Japanese cell text of the first sheet in LibreOffice's printed
    pages. Spaces and line ends are dropped on both sides (pdftotext breaks
    and spaces the page's lines as it sees them); a text that is also part of
    other cells ("計" in "∑計") must be there as often as all of them hold it."""
    with open(table, "rb") as f:
        cells = first_sheet_cells(f.read().decode("cp932"))
    with open(pdftext, encoding="utf-8") as f:
        shown = "".join(f.read().split())
    flat = ["".join(c.split()) for c in cells]
    japanese = sorted({c for c in flat if any(ord(ch) > 0x7F for ch in c)})
    problems = []
    if not japanese:
        problems.append("%s: no Japanese cell in the first sheet" % os.path.basename(table))
    for t in japanese:
        want = sum(c.count(t) for c in flat)
        got = shown.count(t)
        if got < want:
            problems.append("%s: %r shown %d times in the PDF, the first sheet holds it %d times"
                            % (os.path.basename(pdftext), t, got, want))
    for p in problems:
        print(p)
    return 1 if problems else 0


def check(folder):
    problems = []
    cases = {}
    for j in sorted(glob.glob(os.path.join(folder, "*.json"))):
        name = os.path.splitext(os.path.basename(j))[0]
        with open(j, encoding="utf-8") as f:
            cases[name] = json.load(f)
        path = os.path.join(folder, name + ".xlsx")
        if not os.path.exists(path):
            problems.append("%s: no workbook written" % name)
            continue
        check_case(path, cases[name], problems)
    written = {n: c for n, c in cases.items() if os.path.exists(os.path.join(folder, n + ".xlsx"))}
    if written:
        check_libreoffice(folder, written, problems)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "corpus":
        corpus(sys.argv[2])
        sys.exit(0)
    if len(sys.argv) == 3 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2]))
    if len(sys.argv) == 4 and sys.argv[1] == "pdfcheck":
        sys.exit(pdfcheck(sys.argv[2], sys.argv[3]))
    print(__doc__.strip())
    sys.exit(2)
