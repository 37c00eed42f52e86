#!/usr/bin/env python3
"""Reference cell texts of number columns in the HTML page.

Prints one line per case: the format code in hex, the cell's bytes and the
expected HTML text of the cell on a data row, separated by TABs. Numbers are
rounded with decimal's ROUND_HALF_UP and grouped by format() (when the
column groups or the value has commas of its own); values that
are no number are written as text (blanks inside as &nbsp;).
"""
import random
import re
from decimal import Decimal, ROUND_HALF_UP, getcontext

getcontext().prec = 400

NUMBER = re.compile(r"([$\\])?([-+])?(\d+(?:,\d+)*)?(?:\.(\d*))?")

FIXED = [
    "0", "5", "12", "123", "1234", "1234.5", "999.995", "9.999", "0.5", ".5", ".05", ".004",
    "5.", "-5", "+5", "-0", "-0.001", "-999.5", "007", "0,001", "1,234", "12,34,5", "1,234.5678",
    "99999999999999999999999999.9999999", "999999.9999995", "0.9999999", "123456789.123456789",
    "$12", "\\12", "$-3.5", "$.5", "  42  ", "1.2.3", "12a", "1 2", "1,,2", ",5", "1,", "-", "$",
    ".", "-.5", "--5", "5-", "$$5", "1e5",
]


def random_values(rng, count):
    out = []
    for _ in range(count):
        ints = "".join(rng.choice("0123456789" + "9" * 6) for _ in range(rng.randint(0, 12)))
        frac = "".join(rng.choice("0123456789" + "9" * 6) for _ in range(rng.randint(0, 9)))
        v = rng.choice(["", "", "-", "+"]) + ints
        if frac or rng.random() < 0.2:
            v += "." + frac
        if v.strip("+-") == "":
            v += "7"
        out.append(v)
    return out


def expected(code, value):
    kind = chr(code & 0x7F)
    stripped = value.strip(" ")
    m = NUMBER.fullmatch(stripped)
    if not m or not (m.group(3) or m.group(4)):
        text = value.lstrip(" ").replace(" ", "&nbsp;")
        return text + "&nbsp;"
    currency, sign, ints, frac = m.group(1) or "", m.group(2) or "", m.group(3) or "", m.group(4)
    number = Decimal(sign + (ints.replace(",", "") or "0") + ("." + frac if frac else ""))
    if kind.isdigit():
        number = number.quantize(Decimal(1).scaleb(-int(kind)), rounding=ROUND_HALF_UP)
    if not currency:
        currency = {"d": "$", "m": "\\"}.get(kind, "")
    grouped = code & 0x80 or "," in ints
    return currency + format(number, ",f" if grouped else "f") + "&nbsp;"


def main():
    values = FIXED + random_values(random.Random(69), 400)
    for kind in "imd0123456":
        for group in (0, 0x80):
            code = ord(kind) | group
            for value in values:
                print("%02x\t%s\t%s" % (code, value, expected(code, value)))


if __name__ == "__main__":
    main()
