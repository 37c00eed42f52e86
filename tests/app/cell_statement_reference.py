#!/usr/bin/env python3
"""Expected table of CellStatementRun.AMacroFileOfCellStatementsMatchesTheReference.

Applies, with Python's own string and number handling, the rules the "#"
statements of that macro file follow, to the same input, and prints the
expected comma-form text as a C string literal (the Wine test cannot run
Python, so the result is pasted into the test)."""
import csv
import io
import sys

sys.path.insert(0, __file__.rsplit("/", 2)[0] + "/macro")
from fn_reference import width  # noqa: E402

INPUT = ('id,code,amount,price,group,key,n\r\n'
         'abc,007,12,"1,234",A,B2,3\r\n'
         'Def 東京ヂホ,000,12345,"5",,A1,-4\r\n'
         'ghi,-08,3,x,,Z9,12\r\n'
         'jkl,0012,1234567890,"12,345,678",B,A1,0\r\n').encode("cp932")
CODES = {"A1": "apple", "B2": "bread"}


def strip_zeros(s):
    sign = s[0] if s[:1] in ("-", "+") else ""
    body = s[len(sign):].lstrip(" 0")
    return sign + (body or "0")


def main():
    rows = list(csv.reader(io.StringIO(INPUT.decode("cp932"), newline="")))
    above = None
    for r in rows[1:]:
        r[0] = "".join(c.upper() if "a" <= c <= "z" else c for c in r[0])
        r[1] = strip_zeros(r[1])
        r[2] = width("FS", 8, r[2].encode("cp932")).decode("cp932")
        r[3] = r[3].replace(",", "")
        if r[4] == "" and above is not None:
            r[4] = above
        above = r[4]
        r[5] = CODES.get(r[5], "")
        r[6] = str(int(r[6]) ** 2)
    # The first data row has no row above to fill from.
    out = "".join(",".join(r) + "\r\n" for r in rows).encode("cp932")
    print('"' + "".join("\\%03o" % b if b >= 0x80 else chr(b).replace("\r", "\\r").replace("\n", "\\n")
                        .replace('"', '\\"') for b in out) + '"')


if __name__ == "__main__":
    main()
