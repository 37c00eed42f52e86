#!/usr/bin/env python3
"""Outside checks of the HTML page of the table export.

    html_page_oracle.py make DIR    writes the corpus: DIR/<case>.csv (CP932)
    html_page_oracle.py check DIR   reads DIR/<case>.html and prints every
                                    difference (nothing when all is well)

Each case is a table text built here from its sheets: lines before the
table, a title row serving as the format row, data rows with their row
codes, lines after the table and a format section. The checks:

- Python's html.parser reads the page; every table's cell texts (entities
  resolved, &nbsp; as U+00A0) equal the texts this script computes from the
  cells and their columns' number formats;
- xmllint --html reads a copy converted by iconv from CP932 to UTF-8 (its
  meta charset changed to match) without a word on stderr;
- a small CSS resolver (the <style> rules, each cell's class and its one
  style attribute, a <font color>) gives the chosen cells the fill, text
  colour, borders, alignment and size their codes ask for.
"""
import html.parser
import os
import re
import subprocess
import sys
from decimal import Decimal, ROUND_HALF_UP, getcontext

getcontext().prec = 200
NBSP = "\xa0"
GROUPED = 0x80

# --- the corpus -------------------------------------------------------------
#
# A sheet: "before" and "after" lines, "head" (a head line, or None), the
# title cells with their codes, the column formats as the codes give them
# (the HTML run's default is '_': text with a trailing &nbsp;), the data rows
# (cells; the first may carry row codes after '^'), the format section's
# lines, and the expected styles: (row, column) from 1 -> {property: value}.

CASES = {
    "codes": [
        {
            "title": ["Name^C%Rb", "Amount^m", "Price^f2", "Note^s", "Pad^v"],
            "formats": [ord("_"), ord("m") | GROUPED, ord("2"), ord("s"), ord("v")],
            "rows": [
                ["apple", "1234", "1234.5", "a&b", "  x"],
                ["pear^%Ry", "999", "999.995", "\\<b\\>", " y z"],
                ["plum", "1234567", "9.999", "[R] and [C]", "w"],
                ["kiwi^22", ".5", "0.004", "<b>bold</b> x^hidden", "q"],
                ["fig", "-12", "5", "tail", "r"],
            ],
            "section": [",2222%r,B3:C3", ",%Bg,if:&1=plum,&2=nn"],
            "styles": {
                # The title row: its own record (centred between thick lines)
                # over column 1's red text on blue.
                (1, 1): {"background-color": "#C0C0FF", "color": "#FF0000", "text-align": "center",
                         "border-top": "1.5pt solid windowtext", "border-bottom": "1.5pt solid windowtext"},
                # Row codes %Ry: red on yellow, the column's fill given way.
                (3, 1): {"background-color": "#FFFFC0", "color": "#FF0000", "text-align": "center"},
                (3, 4): {"background-color": "#FFFFC0", "color": "#FF0000"},
                # The region B3:C3: its fill and thick lines outside, the
                # column's thin line between its two cells.
                (3, 2): {"background-color": "#FFC0C0", "border-top": "1.5pt solid windowtext",
                         "border-bottom": "1.5pt solid windowtext", "border-left": "1.5pt solid windowtext",
                         "border-right": ".5pt solid windowtext", "font-size": "10.5pt"},
                (3, 3): {"background-color": "#FFC0C0", "border-left": None,
                         "border-right": "1.5pt solid windowtext"},
                # The condition: plum's amount in blue on green; its
                # neighbour in the class group of the row above (pear's).
                (4, 2): {"background-color": "#C0FFC0", "color": "#0000FF"},
                (4, 3): {"background-color": "#FFFFC0", "color": "#FF0000"},
                # Row codes 22: thick lines above and below.
                (5, 1): {"border-top": "1.5pt solid windowtext", "border-bottom": "1.5pt solid windowtext"},
            },
        },
    ],
    "japanese": [
        {
            "before": ["XL_R:\u58f2\u4e0a\u4e00\u89a7", "~\u6ce8\u8a18 ^\u96a0\u3059^ \u8868\u793a"],
            "title": ["\u54c1\u540d", "\u91d1\u984d\uff3f\uff3f^s", "\u5099\u8003"],
            "formats": [ord("_"), ord("s"), ord("_")],
            "rows": [
                ["\u30bd\u30d5\u30c8", "1000", "\u8868\u2460"],
                ["~\u9577\u3044\u30b3\u30e1\u30f3\u30c8\u306e\u884c\u3067\u3059\u3002\u8907\u6570\u306e\u5217\u306b\u307e\u305f\u304c\u308a\u307e\u3059"],
                ["\u3231\u30c6\u30b9\u30c8", "3000", "\u2160\u2161\u2162"],
            ],
            "after": ["~\u3042\u3068\u304c\u304d"],
            "styles": {(1, 2): {"text-align": "center"}},
        },
        {
            "head": "!#XL_P:\u7b2c\u4e8c",
            "title": ["\u9805\u76ee", "\u6570^i"],
            "formats": [ord("_"), ord("i")],
            "rows": [["\u2160", "1234"], ["\u2161", "2.50"]],
            "styles": {},
        },
    ],
    "sheets": [
        {
            "head": "!#:One",
            "title": ["a", "b", "c"],
            "formats": [ord("_")] * 3,
            "rows": [["1", "2", "3"], ["x^%RyB", "Lead", "y"], ["4", "5", "6"]],
            "after": ["~note XLhidden:shown ^gone"],
            "styles": {(3, 2): {"color": "#FF0000", "background-color": "#FFFFC0"}},
        },
        {
            "head": "!#XL_P:Two",
            "title": ["d^d", "e^f1", "f^W"],
            "formats": [ord("d") | GROUPED, ord("1"), ord("_")],
            "rows": [["12", "3.25", "left"], ["$5", ".04", "wrap"]],
            "styles": {},
        },
    ],
}


def sheet_lines(sheet):
    lines = []
    if sheet.get("head"):
        lines.append(sheet["head"])
    lines += sheet.get("before", [])
    lines.append(",".join(sheet["title"]))
    lines += [",".join(r) for r in sheet["rows"]]
    lines += sheet.get("after", [])
    if sheet.get("section"):
        lines.append("!%")
        lines += sheet["section"]
    return lines


def case_text(sheets):
    return "".join(line + "\r\n" for s in sheets for line in sheet_lines(s))


# --- the cell texts ---------------------------------------------------------

NUMBER = re.compile(r"([$\\])?([-+])?(\d+(?:,\d+)*)?(?:\.(\d*))?")


def plain_text(s):
    # A backslash before '"', '<' or '>' makes an entity; other markup stays
    # markup, so the parser shows only its text.
    parts = re.split(r"(\\[\"<>])", s)
    out = ""
    for i, part in enumerate(parts):
        out += part[1] if i % 2 else re.sub(r"<[^>]*>", "", part)
    return out.replace("[R]", "\u00ae").replace("[C]", "\u00a9").replace(" ", NBSP)


def cell_text(raw, code, data_row, title_row, first, next_char):
    kind = chr(code & 0x7F)
    s = raw[1:] if first and raw.startswith("~") else raw
    s = s.split("^", 1)[0]
    out = ""
    if kind == "v":
        lead = len(s) - len(s.lstrip(" "))
        out, s = NBSP * lead, s[lead:]
    else:
        s = s.lstrip(" ")
    m = NUMBER.fullmatch(s.rstrip(" ")) if data_row and kind in "imd0123456" else None
    if m and (m.group(3) or m.group(4)):
        currency = m.group(1) or {"d": "$", "m": "\\"}.get(kind, "")
        number = Decimal((m.group(2) or "") + (m.group(3) or "0").replace(",", "") + "." + (m.group(4) or "0"))
        if kind.isdigit():
            number = number.quantize(Decimal(1).scaleb(-int(kind)), rounding=ROUND_HALF_UP)
        elif not m.group(4):
            number = number.quantize(Decimal(1))
        else:
            number = number.quantize(Decimal(1).scaleb(-len(m.group(4))))
        out += currency + format(number, ",f" if code & GROUPED else "f")
    else:
        out += plain_text(s)
    if kind != "s" and next_char not in ("L", "C"):
        out += NBSP
    if title_row:
        out = out.rstrip("\uff3f")
    return out


def expected_tables(sheets):
    tables = []
    for s in sheets:
        rows = [s["title"]] + s["rows"]
        table = []
        for r, cells in enumerate(rows):
            spanning = cells[0].startswith("~")
            line = []
            for c, raw in enumerate(cells):
                nxt = cells[c + 1][:1] if c + 1 < len(cells) else "\n"
                code = s["formats"][c] if c < len(s["formats"]) else ord("_")
                line.append(cell_text(raw, code, r > 0 and not spanning, r == 0, c == 0, nxt))
            table.append(line)
        tables.append(table)
    return tables


# --- reading the page -------------------------------------------------------


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.tables = []   # tables -> rows -> cells: (text, attrs, font colour)
        self.styles = []   # texts of <style> elements
        self.cell = None
        self.in_style = False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "table":
            self.tables.append([])
        elif tag == "tr" and self.tables:
            self.tables[-1].append([])
        elif tag == "td" and self.tables and self.tables[-1]:
            self.cell = {"text": "", "attrs": attrs, "font": None}
        elif tag == "font" and self.cell is not None:
            self.cell["font"] = a.get("color")
        elif tag == "style":
            self.in_style = True
            self.styles.append("")

    def handle_endtag(self, tag):
        if tag == "td" and self.cell is not None:
            self.tables[-1][-1].append(self.cell)
            self.cell = None
        elif tag == "style":
            self.in_style = False

    def handle_data(self, data):
        if self.in_style:
            self.styles[-1] += data
        elif self.cell is not None:
            self.cell["text"] += data


def css_rules(styles):
    rules = {}
    for text in styles:
        text = text.replace("<!--", "").replace("-->", "")
        for selector, body in re.findall(r"([^{}]+)\{([^}]*)\}", text):
            rules[selector.strip()] = declarations(body)
    return rules


def declarations(body):
    out = {}
    for part in body.split(";"):
        if ":" in part:
            name, value = part.split(":", 1)
            out[name.strip()] = value.strip()
    return out


def resolve(cell, rules):
    names = [v for k, v in cell["attrs"] if k == "class"]
    styles = [v for k, v in cell["attrs"] if k == "style"]
    props = {}
    for n in names:
        props.update(rules.get("." + n, {}))
    for s in styles:
        props.update(declarations(s))
    if cell["font"]:
        props["color"] = cell["font"]
    return props, len(styles)


def check_case(name, folder, problems):
    sheets = CASES[name]
    raw = open(os.path.join(folder, name + ".html"), "rb").read()
    text = raw.decode("cp932")
    page = Page()
    page.feed(text)
    page.close()
    want = expected_tables(sheets)
    if len(page.tables) != len(want):
        problems.append("%s: %d tables, expected %d" % (name, len(page.tables), len(want)))
        return
    rules = css_rules(page.styles)
    for t, (got, exp) in enumerate(zip(page.tables, want)):
        texts = [[c["text"] for c in row] for row in got]
        if texts != exp:
            problems.append("%s table %d: cells %r, expected %r" % (name, t + 1, texts, exp))
        for row in got:
            for c in row:
                if sum(1 for k, _ in c["attrs"] if k == "style") > 1:
                    problems.append("%s table %d: a cell with several style attributes" % (name, t + 1))
        for (r, c), props in sheets[t]["styles"].items():
            try:
                cell = got[r - 1][c - 1]
            except IndexError:
                problems.append("%s table %d: no cell (%d, %d)" % (name, t + 1, r, c))
                continue
            have, _ = resolve(cell, rules)
            for prop, value in props.items():
                if have.get(prop) != value:
                    problems.append("%s table %d cell (%d, %d): %s is %r, expected %r"
                                    % (name, t + 1, r, c, prop, have.get(prop), value))
    check_xmllint(name, raw, folder, problems)


def check_xmllint(name, raw, folder, problems):
    source = os.path.join(folder, name + ".cp932.html")
    copy = os.path.join(folder, name + ".utf8.html")
    with open(source, "wb") as f:
        f.write(raw.replace(b"charset=shift_jis", b"charset=utf-8"))
    with open(copy, "wb") as f:
        r = subprocess.run(["iconv", "-f", "CP932", "-t", "UTF-8", source], stdout=f, stderr=subprocess.PIPE)
    if r.returncode != 0:
        problems.append("%s: iconv: %s" % (name, r.stderr.decode(errors="replace")))
        return
    r = subprocess.run(["xmllint", "--html", "--noout", copy], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if r.stderr:
        problems.append("%s: xmllint: %s" % (name, r.stderr.decode(errors="replace")))
    if "\u2460" not in open(copy, encoding="utf-8").read() and name == "japanese":
        problems.append("%s: the circled one did not survive the conversion" % name)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("make", "check"):
        sys.exit(__doc__)
    folder = sys.argv[2]
    if sys.argv[1] == "make":
        for name, sheets in CASES.items():
            with open(os.path.join(folder, name + ".csv"), "wb") as f:
                f.write(case_text(sheets).encode("cp932"))
        return
    problems = []
    for name in CASES:
        check_case(name, folder, problems)
    for p in problems:
        print(p)


if __name__ == "__main__":
    main()
