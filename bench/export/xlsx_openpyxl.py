"""The yardstick of the XLSX export benchmark.

usage: xlsx_openpyxl.py write CELLS BOOK   reads the cell list CELLS (UTF-8,
           one row a line, tab between fields; row 1 the column names, then
           integers, grouped integers, decimals, texts and a formula per
           column kind), then times only the write-only workbook's rows and
           save into BOOK and prints its seconds
       xlsx_openpyxl.py writefmt CELLS BOOK   the same as WriteOnlyCells with
           named styles: one per column as the formatted table's codes give
           it, and one per column for every tenth data row
       xlsx_openpyxl.py compare OURS THEIRS   reads sheet 1 of both books and
           prints "equal N" (N cells) or the first cells that differ
"""
import math
import sys
import time

import openpyxl

KINDS = 'iigdttfidt'  # integer, grouped integer, decimal, text, formula


def load_cells(path):
    rows = []
    with open(path, encoding='utf-8') as f:
        head = f.readline().rstrip('\n').split('\t')
        rows.append(head)
        for line in f:
            out = []
            for kind, v in zip(KINDS, line.rstrip('\n').split('\t')):
                if kind in 'ig':
                    out.append(int(v.replace(',', '')))
                elif kind == 'd':
                    out.append(float(v))
                else:
                    out.append(v)
            rows.append(out)
    return rows


def write(cells, book):
    rows = load_cells(cells)
    t0 = time.perf_counter()
    wb = openpyxl.Workbook(write_only=True)
    ws = wb.create_sheet()
    for r in rows:
        ws.append(r)
    wb.save(book)
    print('%.6f' % (time.perf_counter() - t0))


def column_styles():
    """The named styles of the formatted table: per column, and per column
    on the rows with row codes (thin top, medium bottom, red bold on yellow,
    18 points high)."""
    from openpyxl.styles import Alignment, Border, Font, NamedStyle, PatternFill, Side

    thin, medium = Side(style='thin'), Side(style='medium')
    fills = {2: 'C0C0FF', 4: 'FFFFC0', 9: 'C0FFC0'}
    formats = {1: '0 ', 2: '#,##0_ ', 3: '###0.00_ ', 7: '0 ', 8: '###0.0_ '}
    align = {4: 'left', 5: 'left', 9: 'center'}
    plain, coded = [], []
    for c in range(10):
        for row_codes, out in ((False, plain), (True, coded)):
            s = NamedStyle(name='c%d%s' % (c, 'r' if row_codes else ''))
            left = medium if c in (1, 6) else thin
            top, bottom = (thin, medium) if row_codes else (None, None)
            s.border = Border(left=left, right=thin, top=top, bottom=bottom)
            fill = 'FFFFC0' if row_codes else fills.get(c)
            if fill:
                s.fill = PatternFill('solid', fgColor='FF' + fill)
            if row_codes:
                s.font = Font(bold=True, color='FFFF0000')
            if c in formats:
                s.number_format = formats[c]
            if c in align:
                s.alignment = Alignment(horizontal=align[c])
            out.append(s)
    return plain, coded


def writefmt(cells, book):
    from openpyxl.cell import WriteOnlyCell

    rows = load_cells(cells)
    t0 = time.perf_counter()
    wb = openpyxl.Workbook(write_only=True)
    ws = wb.create_sheet()
    plain, coded = column_styles()
    for s in plain + coded:
        wb.add_named_style(s)
    ws.column_dimensions['A'].width = 10
    for i, r in enumerate(rows):
        styles = coded if i > 0 and i % 10 == 0 else plain
        out = []
        for c, v in enumerate(r):
            cell = WriteOnlyCell(ws, value=v)
            cell.style = styles[c].name
            out.append(cell)
        ws.append(out)
    wb.save(book)
    print('%.6f' % (time.perf_counter() - t0))


def same(a, b):
    if isinstance(a, str) and a.startswith('=='):
        a = a[1:]  # ours keeps the '=' inside <f>; the reader adds another
    if isinstance(a, (int, float)) and isinstance(b, (int, float)):
        return math.isclose(a, b, rel_tol=1e-12, abs_tol=0)
    return a == b


def compare(ours, theirs):
    a = openpyxl.load_workbook(ours, read_only=True).worksheets[0]
    b = openpyxl.load_workbook(theirs, read_only=True).worksheets[0]
    n, bad = 0, []
    ra = [list(r) for r in a.iter_rows(values_only=True)]
    rb = [list(r) for r in b.iter_rows(values_only=True)]
    # Trailing empty cells and rows carry nothing.
    for rows in (ra, rb):
        for r in rows:
            while r and r[-1] is None:
                r.pop()
        while rows and not rows[-1]:
            rows.pop()
    if len(ra) != len(rb):
        bad.append('rows %d / %d' % (len(ra), len(rb)))
    for i, (x, y) in enumerate(zip(ra, rb)):
        if len(x) != len(y):
            bad.append('row %d: %d / %d cells' % (i + 1, len(x), len(y)))
        for j, (u, v) in enumerate(zip(x, y)):
            n += 1
            if not same(u, v):
                bad.append('row %d col %d: %r / %r' % (i + 1, j + 1, u, v))
        if len(bad) > 5:
            break
    print('\n'.join(bad[:6]) if bad else 'equal %d' % n)


if sys.argv[1] == 'write':
    write(sys.argv[2], sys.argv[3])
elif sys.argv[1] == 'writefmt':
    writefmt(sys.argv[2], sys.argv[3])
else:
    compare(sys.argv[2], sys.argv[3])
