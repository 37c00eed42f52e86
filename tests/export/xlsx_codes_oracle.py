#!/usr/bin/python3
"""openpyxl's reading of the workbook written from the table of
xlsx_codes_oracle_test.cpp, against what its format codes ask for.

    xlsx_codes_oracle.py BOOK.xlsx    prints one line per difference
"""
import sys

import openpyxl


def main(path):
    problems = []

    def want(what, got, expected):
        if got != expected:
            problems.append("%s: %r, expected %r" % (what, got, expected))

    wb = openpyxl.load_workbook(path)
    ws = wb.worksheets[0]
    want("sheet name", ws.title, "Sales")
    stock = wb.worksheets[1]
    want("second sheet", stock.title, "Stock")
    want("tab colour", stock.sheet_properties.tabColor.rgb if stock.sheet_properties.tabColor else None, "FF0080FF")
    # "XLxA4H%80L20R25#..." : A4 landscape at 80 %, left 0.8, right 1.0.
    want("paper", str(ws.page_setup.paperSize), "9")
    want("orientation", ws.page_setup.orientation, "landscape")
    want("scale", int(ws.page_setup.scale), 80)
    want("left margin", ws.page_margins.left, 0.8)
    want("right margin", ws.page_margins.right, 1.0)
    # "$vB3$C4": no gridlines nor headers, top-left B3, active C4.
    view = ws.sheet_view
    want("gridlines", view.showGridLines, False)
    want("headers", view.showRowColHeaders, False)
    want("top-left cell", view.topLeftCell, "B3")
    want("active cell", view.selection[0].activeCell, "C4")

    # Find the rows by their first cell.
    rows = {}
    for row in ws.iter_rows():
        if row and row[0].value is not None:
            rows[str(row[0].value)] = row[0].row
    for name in ("Name", "apple", "pear", "plum", "kiwi"):
        if name not in rows:
            problems.append("row %s missing" % name)
    if problems:
        return problems
    title, apple, pear, plum, kiwi = rows["Name"], rows["apple"], rows["pear"], rows["plum"], rows["kiwi"]

    # Column 1 "C%Rb": centred, red font, blue-grey fill.
    a = ws.cell(apple, 1)
    want("A apple alignment", a.alignment.horizontal, "center")
    want("A apple font colour", a.font.color.rgb, "FFFF0000")
    want("A apple fill", a.fill.fgColor.rgb, "FFC0C0FF")
    # Column 2 "2_iw12": medium left border, integer number; width code 14,
    # widened for font family 3 to 15, at size 5: 15 * 125 / 160 + 3 = 14.
    b = ws.cell(apple, 2)
    want("B apple value", b.value, 1200)
    want("B apple left border", b.border.left.style, "medium")
    want("B width", ws.column_dimensions["B"].width, 14)
    # Column 3 "c#BR": grouped number format, border colours blue and red.
    c = ws.cell(apple, 3)
    want("C apple value", c.value, 3400)
    if "#,##0" not in c.number_format:
        problems.append("C apple number format %r has no grouping" % c.number_format)
    want("C apple left border colour", c.border.left.color.rgb if c.border.left.color else None, "000000FF")
    want("C apple right border colour", c.border.right.color.rgb if c.border.right.color else None, "00FF0000")
    # Row "pear^h30%RyI": 22 points high, italic red on yellow.
    p = ws.cell(pear, 1)
    want("pear height", ws.row_dimensions[pear].height, 22)
    want("pear italic", p.font.i, True)
    want("pear font colour", p.font.color.rgb, "FFFF0000")
    want("pear fill", p.fill.fgColor.rgb, "FFFFFFC0")
    # Row "plum^12h150B": thin top, medium bottom, 112 points, bold (the
    # third letter of its group).
    q = ws.cell(plum, 2)
    want("plum top border", q.border.top.style, "thin")
    want("plum bottom border", q.border.bottom.style, "medium")
    want("plum height", ws.row_dimensions[plum].height, 112)
    want("plum bold", ws.cell(plum, 1).font.b, True)
    # Row "kiwi^P%GbUS8": a page break, green underlined struck text on blue
    # grey, size digit 8 (17 points).
    k = ws.cell(kiwi, 1)
    want("kiwi font colour", k.font.color.rgb, "FF00A000")
    want("kiwi fill", k.fill.fgColor.rgb, "FFC0C0FF")
    want("kiwi underline", k.font.u, "single")
    want("kiwi strike", k.font.strike, True)
    want("kiwi size", k.font.sz, 17)
    want("row breaks", [b.id for b in ws.row_breaks.brk], [kiwi - 1])
    # Column 3 'P' a column break; column 4 'E' hidden; column 5 "Z2" outlined.
    want("column breaks", [b.id for b in ws.col_breaks.brk], [2])
    want("D hidden", ws.column_dimensions["D"].hidden, True)
    want("E outline", ws.column_dimensions["E"].outlineLevel, 2)
    # The title row: centred between borders.
    t = ws.cell(title, 2)
    want("title alignment", t.alignment.horizontal, "center")
    want("title top border", t.border.top.style, "medium")
    return problems


if __name__ == "__main__":
    for line in main(sys.argv[1]):
        print(line)
