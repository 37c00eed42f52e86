# The structured macro of structured_oracle_test.cpp, worked in Python over
# the same CP932 table read with the csv module. Prints "same" when our
# result (saved in comma form) holds the records computed here, else both.
#
# The macro: a "for" over k = 1, 2 calls a subroutine with k and a counter
# passed by reference; k = 1 adds 10 to column 3 of the rows whose column 2
# is "A", k = 2 multiplies column 3 of the "B" rows by 5; each call counts
# the counter up once. A "do" loop then counts to 2 and leaves by "outloop",
# and the rows named "山田" take column 3 times that count and the counter.
#
#   structured_reference.py source result
import csv
import sys


def records(path):
    with open(path, newline='', encoding='cp932') as f:
        return [row for row in csv.reader(f)]


rows = records(sys.argv[1])
counter = 0
for k in (1, 2):
    for row in rows:
        if k == 1 and row[1] == 'A':
            row[2] = str(int(row[2]) + 10)
        elif k == 2 and row[1] == 'B':
            row[2] = str(int(row[2]) * 5)
    counter += 1
total = 2
for row in rows:
    if row[0] == '山田':
        row[2] = str(int(row[2]) * total * counter)
got = records(sys.argv[2])
if got == rows:
    print('same')
else:
    print('want', rows)
    print('got ', got)
