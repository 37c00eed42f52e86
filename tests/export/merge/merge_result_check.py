"""Reads a merged workbook back with openpyxl.

usage: merge_result_check.py OUT.xlsx

Prints one JSON object: the sheet names, the first sheet's values (first 3
rows, 2 columns), merged ranges, width of column A and fill of A2, its
chart count, and A1 of every sheet.
"""
import json
import sys

from openpyxl import load_workbook


def main():
    wb = load_workbook(sys.argv[1])
    ws = wb.worksheets[0]
    fill = ws["A2"].fill
    print(json.dumps({
        "sheets": wb.sheetnames,
        "values": [[ws.cell(row=r, column=c).value for c in (1, 2)] for r in range(1, 4)],
        "merged": sorted(str(m) for m in ws.merged_cells.ranges),
        "widthA": ws.column_dimensions["A"].width,
        "fillA2": fill.fgColor.rgb if fill is not None and fill.fill_type else None,
        "charts": len(ws._charts),
        "a1": [s["A1"].value for s in wb.worksheets],
    }, ensure_ascii=False))


if __name__ == "__main__":
    main()
