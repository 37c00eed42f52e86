# Reads two CP932 CSV files with Python's csv module: the source and our
# result of an operation on it. Applies the operation to the source's records
# and prints "same" when the result's records are those, else both record
# lists.
#
#   tableops_reference.py rev|delete23|transpose|pad source result
#   tableops_reference.py calc ours calc-output
# "calc": our CP932 file against LibreOffice Calc's UTF-8 CSV of it (Calc
# writes a line break inside a cell as LF alone).
import csv
import itertools
import sys


def records(path):
    with open(path, newline='', encoding='cp932') as f:
        return [row for row in csv.reader(f)]


op, source, result = sys.argv[1], sys.argv[2], sys.argv[3]
if op == 'calc':
    ours = [[cell.replace('\r\n', '\n') for cell in row] for row in records(source)]
    with open(result, newline='', encoding='utf-8') as f:
        calc = [row for row in csv.reader(f)]
    print('same' if ours == calc else 'ours %r\ncalc %r' % (ours, calc))
    sys.exit(0)
rows = records(source)
if op == 'rev':
    want = rows[:1] + rows[:0:-1]
elif op == 'delete23':
    want = rows[:1] + rows[3:]
elif op == 'transpose':
    want = [list(col) for col in itertools.zip_longest(*rows, fillvalue='')]
elif op == 'pad':
    width = len(rows[0])
    want = [row + [''] * (width - len(row)) for row in rows]
else:
    raise SystemExit('unknown operation ' + op)
got = records(result)
if got == want:
    print('same')
else:
    print('want', want)
    print('got ', got)
