"""Per-column widest field of a CP932 CSV file, read with Python's csv module.

Arguments: file, columns, mode, first row, last row, first column, last
column. Rows are the file's 1-based lines (CR LF, no quoted line breaks).
A block starts at a "!#" or "!*" line; its title is the next line that is
not a comment or a mark. Measured: the rows after each title (mode 2: from
the title on) up to the block's first "~" line. Quotes around a field do not
count; in modes 1 and 2 neither do blanks around it. Prints one width per
column.
"""
import csv
import sys

path, columns, mode, first_row, last_row, first_col, last_col = sys.argv[1:8]
columns, mode = int(columns), int(mode)
first_row, last_row, first_col, last_col = int(first_row), int(last_row), int(first_col), int(last_col)
lines = open(path, 'rb').read().decode('cp932').split('\r\n')
if lines and lines[-1] == '':
    lines.pop()

widths = [0] * (columns + 1)
title, measuring, closed = 1, False, False
for number, line in enumerate(lines, start=1):
    if number > last_row:
        break
    if number > title and line[:2] in ('!#', '!*'):
        title = number + 1
        while title <= len(lines) and (lines[title - 1][:1] == '~' or lines[title - 1][:2] in ('!#', '!*', '!^')):
            title += 1
        measuring, closed = False, False
        continue
    if number == title:
        measuring = mode >= 2
        if not measuring:
            continue
    elif number > title and not closed:
        measuring = True
    if line[:1] == '~':
        if measuring:
            closed, measuring = True, False
        continue
    if not measuring or number < first_row:
        continue
    fields = next(csv.reader([line]))
    for col in range(first_col, min(last_col, columns) + 1):
        if col > len(fields):
            break
        value = fields[col - 1]
        if mode >= 1:
            value = value.strip(' \t')
        widths[col] = max(widths[col], len(value.encode('cp932')))

for col in range(1, columns + 1):
    print(widths[col])
