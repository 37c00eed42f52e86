"""Checks the table form of a workbook (code page 932, as the converter
wrote it) against the expected texts of make_xlsx_books.py.

usage: xlsx_reference.py OURS.csv BOOK.expected.csv
Prints one line per mismatch; nothing when all agree.

Our blocks begin with a line "!*[Sheet n]name"; each book's sheets have a
cell in A1, so line i of a block is row i.
"""
import csv
import io
import sys

ours = open(sys.argv[1], 'rb').read().decode('cp932')
blocks = []
for line in ours.split('\r\n'):
    if line.startswith('!*[Sheet'):
        blocks.append([])
    elif blocks:
        blocks[-1].append(line)
problems = []
for sheet, row, col, text, *why in csv.reader(open(sys.argv[2], encoding='utf-8')):
    sheet, row, col = int(sheet), int(row), int(col)
    got = None
    if sheet < len(blocks) and row < len(blocks[sheet]):
        fields = next(csv.reader(io.StringIO(blocks[sheet][row])), [])
        got = fields[col] if col < len(fields) else None
    if got != text:
        problems.append('sheet %d row %d col %d: ours %r, expected %r %s' % (sheet, row, col, got, text,
                                                                           ('(' + why[0] + ')') if why and why[0] else ''))
print('\n'.join(problems))
