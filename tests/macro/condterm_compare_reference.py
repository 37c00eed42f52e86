# Pairs of decimal texts and their order for condterm_oracle_test.cpp, judged
# by Python's decimal module.
#
#   condterm_compare_reference.py SEED COUNT OUT
#       one line each: "left<TAB>right<TAB>order", order -1, 0 or 1
#
# Each number is a signed mantissa of up to 19 digits that fits 64 bits,
# with 0 to 18 decimal places. A third of the pairs are independent, a third
# the same value written with more places, a third one unit apart in the
# last place of either side. Some texts carry thousands commas, some quotes.
import random
import sys
from decimal import Decimal

MAX = 2 ** 63


def mantissa(rng):
    digits = rng.randint(1, 19)
    m = rng.randrange(10 ** (digits - 1) if digits > 1 else 0, 10 ** digits)
    negative = rng.random() < 0.4
    if m > MAX - (0 if negative else 1):
        m = MAX - (0 if negative else 1) - rng.randrange(1000)
    return -m if negative else m


def text(m, s, rng):
    digits = str(abs(m)).rjust(s + 1, "0")
    whole, frac = digits[: len(digits) - s], digits[len(digits) - s:]
    if rng.random() < 0.2 and len(whole) > 3:
        groups = []
        while len(whole) > 3:
            groups.insert(0, whole[-3:])
            whole = whole[:-3]
        whole = ",".join([whole] + groups)
    t = ("-" if m < 0 else "") + whole + ("." + frac if s else "")
    if rng.random() < 0.1:
        t = '"' + t + '"'
    return t


def value(m, s):
    return Decimal(m).scaleb(-s)


def fits(m):
    return -MAX <= m < MAX


def main():
    seed, count, out = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    rng = random.Random(seed)
    lines = []
    while len(lines) < count:
        a = (mantissa(rng), rng.randint(0, 18))
        kind = rng.randrange(3)
        if kind == 0:
            b = (mantissa(rng), rng.randint(0, 18))
        elif kind == 1:
            k = rng.randint(0, 18 - a[1])
            b = (a[0] * 10 ** k, a[1] + k)
            if not fits(b[0]):
                continue
        else:
            s = rng.randint(0, 18)
            base = a[0] * 10 ** (s - a[1]) if s >= a[1] else a[0] // 10 ** (a[1] - s)
            b = (base + rng.choice((-1, 1)), s)
            if not fits(b[0]):
                continue
        if rng.random() < 0.5:
            a, b = b, a
        va, vb = value(*a), value(*b)
        order = (va > vb) - (va < vb)
        lines.append("%s\t%s\t%d" % (text(a[0], a[1], rng), text(b[0], b[1], rng), order))
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")


main()
