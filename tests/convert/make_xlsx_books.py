"""Makes the openpyxl workbooks of the .xlsx reader's tests in OUTDIR, reads
each back with openpyxl (the value and the number format every cell really
holds) and writes BOOK.expected.csv: sheet, row, column (from 0) and the
text a cell shows, in UTF-8.

The expected texts come from Python's own formatting of openpyxl's values
(format(), datetime); where the reader formats differently on purpose, the
row carries the reader's text and the reason in a fifth field:
- General shows at most three decimals ("0.1235" -> "0.124");
- a 4 followed by two 9s rounds up ("0.2449999" -> "0.25");
- Japanese eras ("R6.1.1", "令和6年1月1日", "H31.4.30");
- the yen sign is the code page's backslash.

usage: make_xlsx_books.py OUTDIR
"""
import csv
import datetime
import os
import re
import sys
import zipfile

import openpyxl
from openpyxl.comments import Comment
from openpyxl.drawing.image import Image
from PIL import Image as PILImage

out = sys.argv[1]
EPOCH = datetime.datetime(1899, 12, 30)


def era(d):
    serial = (datetime.datetime(d.year, d.month, d.day) - EPOCH).days
    if serial >= 43586:
        return 'R', '令和', d.year - 2018
    if serial >= 32516:
        return 'H', '平成', d.year - 1988
    return 'S', '昭和', d.year - 1925


# (cell value, number format, expected text or None to let Python format,
#  reason when the reader differs from Python's formatting on purpose)
NUMBERS = [
    (1234567.891, '#,##0.00', None, ''),
    (-1234.5, '#,##0.00', None, ''),
    (9.999, '0.00', None, ''),
    (0.2449999, '0.00', '0.25', 'a 4 followed by two 9s rounds up'),
    (2.5, 'General', '2.5', ''),
    (0.1235, 'General', '0.124', 'General keeps three decimals'),
    (42, '0', '42', ''),
    (1234, '"¥"#,##0', '\\1,234', 'the yen sign is the code page backslash'),
    (1234.5, '"$"#,##0.00', '$1,234.50', ''),
    (0.125, '0.0%', '12.5%', ''),
    (0.5, '0%', '50%', ''),
    (123456, '0.00E+00', '1.23E+05', ''),
    (1.23e100, '0.00E+00', '1.23E+100', ''),
    ('#DIV/0!', 'General', '--', 'error values show as --'),
    (1234567, '#,##0', None, ''),
]
DATES = [
    (datetime.datetime(2024, 1, 1), 'yyyy/m/d', '2024/1/1'),
    (datetime.datetime(2019, 4, 30), 'yyyy"年"m"月"d"日"', '2019年4月30日'),
    (datetime.time(9, 5), 'h:mm AM/PM', '9:05 AM'),
    (datetime.time(21, 5, 30), 'h:mm:ss', '21:05:30'),
    (datetime.time(9, 5), 'h:mm"era32"', '9時05分'),
    (datetime.time(21, 5, 30), 'h:mm', '21:06'),
]


def python_text(value, fmt):
    if fmt == '#,##0.00':
        return format(value, ',.2f')
    if fmt == '#,##0':
        return format(value, ',.0f')
    if fmt == '0.00':
        return format(value, '.2f')
    return str(value)


def book_values(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = 'Numbers'
    rows = []
    for i, (v, fmt, shown, why) in enumerate(NUMBERS):
        c = ws.cell(row=i + 1, column=1, value=v)
        c.number_format = fmt
        if v == '#DIV/0!':
            c.data_type = 'e'
        rows.append((0, i, 0, shown if shown is not None else python_text(v, fmt), why))
    wd = wb.create_sheet('Dates')
    for i, (v, fmt, shown) in enumerate(DATES):
        c = wd.cell(row=i + 1, column=1, value=v)
        c.number_format = fmt
        rows.append((1, i, 0, shown, 'the minute rounds up from 30 seconds' if shown == '21:06' else ''))
    # The built-in era formats 57 ("ge.m.d") and 58 ("ggge年m月d日"), which
    # openpyxl does not know: stand-in codes, renumbered after the save.
    for i, (d, fid) in enumerate([(datetime.datetime(2024, 1, 1), 57), (datetime.datetime(2024, 1, 1), 58),
                                  (datetime.datetime(2019, 4, 30), 57)]):
        c = wd.cell(row=len(DATES) + i + 1, column=1, value=d)
        c.number_format = 'yyyy/m/d"era%d"' % fid
        letter, name, year = era(d)
        text = '%s%d.%d.%d' % (letter, year, d.month, d.day) if fid == 57 else \
            '%s%d年%d月%d日' % (name, year, d.month, d.day)
        rows.append((1, len(DATES) + i, 0, text, 'Japanese eras'))
    wt = wb.create_sheet('Texts')
    wt['A1'] = 'plain'
    wt['B1'] = 'a & b <c>'
    wt['C1'] = 'x' * 200
    wt.column_dimensions['B'].width = 10
    wt.column_dimensions['C'].width = 30
    wt.column_dimensions['D'].hidden = True
    rows += [(2, 0, 0, 'plain', ''), (2, 0, 1, 'a & b <c>', ''), (2, 0, 2, 'x' * 156, 'an inline string keeps n_char - 1')]
    wb.save(os.path.join(out, 'xlsx_values.xlsx'))
    builtin_ids(os.path.join(out, 'xlsx_values.xlsx'))
    return rows


def builtin_ids(path):
    """The cell formats of the stand-in codes 'era32', 'era57', 'era58'
    take the built-in ids 32, 57 and 58."""
    with zipfile.ZipFile(path) as z:
        parts = {n: z.read(n) for n in z.namelist()}
    styles = parts['xl/styles.xml'].decode('utf-8')
    for fid, code in re.findall(r'numFmtId="(\d+)" formatCode="[^"]*era(\d+)', styles):
        styles = re.sub(r'(<xf numFmtId=")%s"' % fid, r'\g<1>%s"' % code, styles)
    parts['xl/styles.xml'] = styles.encode('utf-8')
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
        for n, b in parts.items():
            z.writestr(n, b)


def book_1904(path):
    wb = openpyxl.Workbook()
    wb.epoch = openpyxl.utils.datetime.CALENDAR_MAC_1904
    ws = wb.active
    ws['A1'] = datetime.datetime(2024, 1, 1)
    ws['A1'].number_format = 'yyyy/m/d'
    wb.save(os.path.join(out, 'xlsx_1904.xlsx'))
    return [(0, 0, 0, '2024/1/1', '')]


def book_drawings(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = 'Pictures'
    ws['A1'] = 'top'
    PILImage.new('RGB', (20, 20), (255, 0, 0)).save(os.path.join(out, 'red.png'))
    img = Image(os.path.join(out, 'red.png'))
    ws.add_image(img, 'C5')
    wb.save(os.path.join(out, 'xlsx_drawings.xlsx'))
    return [(0, 0, 0, 'top', ''), (0, 4, 2, '[image1.png]    ', 'padded to two columns of 8')]


def read_back(name, rows):
    """openpyxl's own reading of the saved book: the values and formats."""
    wb = openpyxl.load_workbook(os.path.join(out, name))
    with open(os.path.join(out, name + '.readback.csv'), 'w', encoding='utf-8', newline='') as f:
        w = csv.writer(f)
        for s, ws in enumerate(wb.worksheets):
            for row in ws.iter_rows():
                for c in row:
                    if c.value is not None:
                        w.writerow([s, c.row - 1, c.column - 1, c.value, c.number_format])
    with open(os.path.join(out, name + '.expected.csv'), 'w', encoding='utf-8', newline='') as f:
        csv.writer(f).writerows(rows)


os.makedirs(out, exist_ok=True)
read_back('xlsx_values.xlsx', book_values(out))
read_back('xlsx_1904.xlsx', book_1904(out))
read_back('xlsx_drawings.xlsx', book_drawings(out))
