"""Makes the template workbooks of the merge tests in OUTDIR.

openpyxl.xlsx: five sheets ("売上", "R&D", "備考", "Sheet4", "Sheet5") with
fills, widths, a merged title, a defined name and a chart on the first one;
its parts have no XML declaration and its relationships list Type and Target
before Id. make_merge_books.sh has LibreOffice save it again as
libreoffice.xlsx (shared strings, the styles as rId1). Each package is also
unpacked into a folder of its name.
"""
import os
import shutil
import sys
import zipfile

from openpyxl import Workbook
from openpyxl.chart import BarChart, Reference
from openpyxl.styles import Font, PatternFill
from openpyxl.workbook.defined_name import DefinedName

NAMES = ["売上", "R&D", "備考", "Sheet4", "Sheet5"]


def make_openpyxl(path):
    wb = Workbook()
    ws = wb.active
    ws.title = NAMES[0]
    for name in NAMES[1:]:
        wb.create_sheet(name)
    ws["A1"] = "月次売上"
    ws.merge_cells("A1:B1")
    ws["A1"].font = Font(bold=True)
    for r in range(2, 7):
        ws.cell(row=r, column=1, value="品目%d" % r).fill = PatternFill("solid", fgColor="FFFF00")
        ws.cell(row=r, column=2, value=r * 10).number_format = "#,##0"
    ws.column_dimensions["A"].width = 24
    chart = BarChart()
    chart.add_data(Reference(ws, min_col=2, min_row=2, max_row=6))
    ws.add_chart(chart, "D2")
    ws.oddHeader.center.text = "売上表"
    for i, name in enumerate(NAMES[1:], start=2):
        wb[name]["A1"] = "keep %d" % i
    wb.defined_names.append(DefinedName("合計", attr_text="'売上'!$B$2:$B$6"))
    wb.save(path)


def unpack(path, folder):
    shutil.rmtree(folder, ignore_errors=True)
    with zipfile.ZipFile(path) as z:
        z.extractall(folder)


def main():
    # make_merge_books.py OUTDIR openpyxl: the openpyxl workbook, unpacked;
    # make_merge_books.py OUTDIR unpack NAME: NAME.xlsx unpacked.
    out, step = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    if step == "openpyxl":
        src = os.path.join(out, "openpyxl.xlsx")
        make_openpyxl(src)
        unpack(src, os.path.join(out, "openpyxl"))
    else:
        name = sys.argv[3]
        unpack(os.path.join(out, name + ".xlsx"), os.path.join(out, name))


if __name__ == "__main__":
    main()
