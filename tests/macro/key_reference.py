# Expected rows and columns of table keys, for address_oracle_test.cpp.
# Usage: key_reference.py TABLE.csv KEYS.txt -> one line per key: "row col"
# (0 for not found). TABLE is CP932 comma text read with the csv module;
# rows are the file's 1-based lines and the first line is the title. KEYS
# holds one key per line (CP932); a key ending in "!" asks for the last row
# of the run of consecutive matching rows; "^PN" before it searches block N
# only (blocks start at "!#" or "!*" lines).
import csv
import re
import sys

LEAD = rb'[\x81-\x9f\xe0-\xfc]'


def key_regex(key):
    """The key's wildcards as a bytes regex over the cell's CP932 bytes."""
    out = b''
    chars = list(key)
    k = 0
    while k < len(chars):
        ch = chars[k]
        if ch == '\\' and k + 1 < len(chars) and chars[k + 1] in '%&\\':
            out += re.escape(chars[k + 1].encode('cp932'))
            k += 2
        elif ch == '%':
            out += b'.'
            k += 1
        elif ch == '&':
            if k + 1 == len(chars):
                return re.compile(out + b'.*', re.S)
            stop = chars[k + 2] if chars[k + 1] == '\\' and k + 2 < len(chars) else chars[k + 1]
            stop = stop.encode('cp932')[:1]
            out += b'(?:' + LEAD + b'.|[^' + re.escape(stop) + b'])*?(?=' + re.escape(stop) + b')'
            k += 1
        else:
            out += re.escape(ch.encode('cp932'))
            k += 1
    return re.compile(out, re.S)


def cell_bytes(cell):
    b = cell.encode('cp932')
    return b.split(b'^')[0]


def main():
    with open(sys.argv[1], encoding='cp932', newline='') as f:
        rows = list(csv.reader(f))
    with open(sys.argv[2], 'rb') as f:
        keys = [line.decode('cp932') for line in f.read().split(b'\n') if line]
    # Block N starts at line 1 (N = 1) or at its "!#"/"!*" line.
    starts = [0] + [i for i, r in enumerate(rows) if i > 0 and r and r[0][:2] in ('!#', '!*')]
    for key in keys:
        run = key.endswith('!')
        if run:
            key = key[:-1]
        block = None
        caret = key.find('^P', 1)
        if caret > 0:
            block = int(key[caret + 2:])
            key = key[:caret]
        rx = key_regex(key)
        first = 0 if block is None else starts[block - 1]
        row = 0
        for i in range(first + 1, len(rows)):
            r = rows[i]
            if block is not None and r and r[0][:2] in ('!#', '!*'):
                break
            hit = bool(r) and rx.fullmatch(cell_bytes(r[0])) is not None
            if hit:
                row = i + 1
                if not run:
                    break
            elif row:
                break
        col = 0
        for n, c in enumerate(rows[0], start=1):
            if rx.fullmatch(cell_bytes(c)):
                col = n
                break
        print(row, col)


main()
