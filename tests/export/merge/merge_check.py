"""Puts a rewritten worksheet part into a copy of a workbook and reads the
result back with openpyxl.

usage: merge_check.py BOOK.xlsx MEMBER PARTFILE OUT.xlsx

Prints one JSON object: the sheet names, and for the sheet whose part is
MEMBER its values (first 8 rows, 2 columns), merged ranges, the width of
column A and the fill colour of A2.
"""
import json
import sys
import zipfile

from openpyxl import load_workbook


def main():
    book, member, partfile, out = sys.argv[1:5]
    with open(partfile, "rb") as h:
        part = h.read()
    with zipfile.ZipFile(book) as src, zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as dst:
        for item in src.infolist():
            dst.writestr(item, part if item.filename == member else src.read(item.filename))
    wb = load_workbook(out)
    index = int(member.rsplit("sheet", 1)[1].split(".")[0]) - 1
    ws = wb.worksheets[index]
    fill = ws["A2"].fill
    print(json.dumps({
        "sheets": wb.sheetnames,
        "values": [[ws.cell(row=r, column=c).value for c in (1, 2)] for r in range(1, 9)],
        "merged": sorted(str(m) for m in ws.merged_cells.ranges),
        "widthA": ws.column_dimensions["A"].width,
        "fillA2": fill.fgColor.rgb if fill is not None and fill.fill_type else None,
    }, ensure_ascii=False))


if __name__ == "__main__":
    main()
