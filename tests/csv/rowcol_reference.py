# Reads two CP932 CSV files with Python's csv module: the source and our
# result of the row and column orders "3,1,*" (columns 3 and 1 first, then
# the rest in their order) and "rev" (the rows after the title upside down).
# Prints "same" when the result's records are what the source gives, else
# both record lists.
#
#   rowcol_reference.py source result
import csv
import sys


def records(path):
    with open(path, newline='', encoding='cp932') as f:
        return [row for row in csv.reader(f)]


def reorder(row):
    first = [row[i] if i < len(row) else '' for i in (2, 0)]
    return first + [cell for i, cell in enumerate(row) if i not in (0, 2)]


rows = [reorder(row) for row in records(sys.argv[1])]
want = rows[:1] + rows[:0:-1]
got = records(sys.argv[2])
if got == want:
    print('same')
else:
    print('want', want)
    print('got ', got)
