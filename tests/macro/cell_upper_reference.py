"""Expected result of an upper-casing function applied in cell mode.

Arguments: input file, output file (both CP932 CSV, CR LF lines, no quoted
line breaks), first row, last row, first column, last column (a negative
last row or column is open), and the table blocks as the block index gives
them: "first:title:last,..." (1-based lines: the block's first line, its
title row, its last data row). Rows are the file's lines. In the data rows
of each block (after the title, up to the last data row, "~" lines left
out) that lie in the row range, the fields in the column range have their
ASCII letters upper-cased. Both files are read with the csv module; prints
OK, or the first difference.
"""
import csv
import sys

src, out = sys.argv[1], sys.argv[2]
r1, r2, c1, c2 = map(int, sys.argv[3:7])
blocks = [tuple(map(int, b.split(':'))) for b in sys.argv[7].split(',')]


def rows(path):
    text = open(path, 'rb').read().decode('cp932')
    lines = text.split('\r\n')
    if lines and lines[-1] == '':
        lines.pop()
    return lines


def upper(s):
    return ''.join(ch.upper() if ch.isascii() else ch for ch in s)


def fields(line):
    return next(csv.reader([line])) if line else []


expected = []
for number, line in enumerate(rows(src), start=1):
    first, title, last = [b for b in blocks if b[0] <= number][-1]
    row = fields(line)
    data = title < number <= last and line[:1] != '~'
    if data and number >= r1 and (r2 < 0 or number <= r2):
        row = [upper(f) if col >= c1 and (c2 < 0 or col <= c2) else f for col, f in enumerate(row, start=1)]
    expected.append(row)

got = [fields(line) for line in rows(out)]
if got == expected:
    print('OK')
else:
    for k, (a, b) in enumerate(zip(expected, got), start=1):
        if a != b:
            print('row', k, 'expected', a, 'got', b)
            break
    else:
        print('rows', len(expected), 'expected,', len(got), 'got')
