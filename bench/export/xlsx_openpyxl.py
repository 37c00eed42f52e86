"""The yardstick of the XLSX export benchmark.

usage: xlsx_openpyxl.py write CELLS BOOK   reads the cell list CELLS (UTF-8,
           one row a line, tab between fields; row 1 the column names, then
           integers, grouped integers, decimals, texts and a formula per
           column kind), then times only the write-only workbook's rows and
           save into BOOK and prints its seconds
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
else:
    compare(sys.argv[2], sys.argv[3])
