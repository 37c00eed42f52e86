"""Checks a workbook's table form (code page 932, as the converter wrote it)
against xlrd's reading (the JSON of make_xls_books.py) and xls2csv's.

usage: xls_reference.py OURS.csv BOOK.xlrd.json BOOK.xls2csv.csv NCHAR
Prints one line per mismatch; nothing when all agree.

The differences by design, taken into account here:
- our texts keep at most NCHAR characters (bytes of code page 932), TAB
  shown as a blank;
- our numbers show at most four decimals, from 2^21 on none, and integers
  carry a sign column (a leading blank);
- our dates are "'YY-MM-DD" (xls2csv shows the serial or its own form, so
  dates are checked against xlrd's xldate_as_tuple only);
- a time of day ("h:mm") is our day fraction, xls2csv's "12:00";
- the yen sign is the code page's 0x5C;
- xls2csv leaves out empty rows, so its cells are matched in order.
"""
import csv
import io
import json
import sys

ours_path, json_path, x2c_path, nchar = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
ours = open(ours_path, 'rb').read().decode('cp932')
book = json.load(open(json_path, encoding='utf-8'))
x2c = open(x2c_path, encoding='utf-8').read().split('\n#SHEET\n')
problems = []

# Our blocks: a heading line "!*[Sheet n]name" starts each.
blocks = []
for line in ours.split('\r\n'):
    if line.startswith('!*[Sheet'):
        blocks.append({'head': line, 'rows': []})
    elif line.startswith('[Sheet end]') or line.startswith('\n[Sheet end]'):
        continue
    elif blocks:
        blocks[-1]['rows'].append(line)
if len(blocks) != len(book):
    problems.append('blocks: %d, sheets: %d' % (len(blocks), len(book)))


def text_of(v):
    t = v.replace('\t', ' ').replace('\u00a5', '\\').encode('cp932', 'replace')[:nchar]
    return t.decode('cp932', 'ignore')


for n, (sheet, block) in enumerate(zip(book, blocks)):
    head = '!*[Sheet%2d]' % (n + 1)
    if not block['head'].startswith(head + sheet['name']):
        problems.append('sheet %d heading %r, name %r' % (n + 1, block['head'], sheet['name']))
    rows = [r for r in csv.reader(io.StringIO('\n'.join(block['rows'])))]
    first = min((c['r'] for c in sheet['cells']), default=0)
    x2c_rows = list(csv.reader(io.StringIO(x2c[n]))) if n < len(x2c) else []
    x2c_fields = [f for row in x2c_rows for f in row if f != '']

    def field(rows, r, c):
        return rows[r][c] if r < len(rows) and c < len(rows[r]) else None

    for k, c in enumerate(sheet['cells']):
        got = field(rows, c['r'] - first, c['c'])
        where = 'sheet %d r%d c%d' % (n + 1, c['r'], c['c'])
        x = x2c_fields[k] if k < len(x2c_fields) else None
        if got is None:
            problems.append(where + ': missing')
            continue
        if c['t'] == 3 and c['date'][:3] == [0, 0, 0]:
            c = dict(c, t=2)  # a time of day: its fraction
            x = None
        if c['t'] == 1:
            want = text_of(c['v'])
            if got != want:
                problems.append('%s: %r, xlrd %r' % (where, got, want))
            if x is not None and got != text_of(x):
                problems.append('%s: %r, xls2csv %r' % (where, got, x))
        elif c['t'] == 3:
            y, m, d = c['date'][:3]
            want = "'%02d-%02d-%02d" % (y % 100, m, d)
            if got != want:
                problems.append('%s: %r, xlrd %r' % (where, got, want))
        elif c['t'] == 2:
            try:
                value = float(got.strip())
            except ValueError:
                problems.append('%s: %r is no number' % (where, got))
                continue
            shown = round(c['v']) if abs(c['v']) >= 2 ** 21 else round(c['v'], 4)
            if abs(value - shown) > 1e-9 * max(1.0, abs(c['v'])):
                problems.append('%s: %r, xlrd %r' % (where, got, c['v']))
            if x is not None:
                try:
                    if abs(float(x) - value) > max(1e-4 * max(1.0, abs(value)), abs(float(x) - shown) + 1e-9):
                        problems.append('%s: %r, xls2csv %r' % (where, got, x))
                except ValueError:
                    problems.append('%s: %r, xls2csv %r' % (where, got, x))
if problems:
    print('\n'.join(problems))
