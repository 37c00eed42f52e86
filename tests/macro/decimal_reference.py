# Expressions and their expected values for decimal_oracle_test.cpp, with
# the values from Python's decimal module.
#
#   decimal_reference.py exprs SEED COUNT OUT   random arithmetic expressions:
#       one line each, "expression<TAB>expected text"
#   decimal_reference.py range TABLE.csv SPECS OUT   for each line "c1 c2 r1 r2"
#       of SPECS: the total of those cells of the CP932 file (rows are its
#       1-based lines), read with the csv module and summed with decimal
#
# Numbers are decimal fixed point: a 64-bit mantissa and a count of decimal
# places (the scale). "+", "-" and "*" are exact, with the scale of the
# larger scale (sum) or of both scales added (product). "/" raises the
# dividend by 10^d for a divisor of d places, then by 10 up to d more times
# while it is not above LIMIT; the quotient is the exact one truncated to
# the dividend's scale plus those extra places. "%" has the sign of the
# left operand and both scales added. An expression whose exact values would
# not fit, or would lose digits in the scale alignment, is not written.
import csv
import random
import sys
from decimal import Decimal, localcontext, ROUND_DOWN

LIMIT = 864691128455135232
MAX = 2 ** 63


class Skip(Exception):
    pass


def value(n):
    m, s = n
    return Decimal(m).scaleb(-s)


def fit(m):
    if not -MAX <= m < MAX:
        raise Skip()
    return m


def at_scale(d, s):
    """The mantissa of decimal d at scale s (exact or Skip)."""
    m = d.scaleb(s)
    if m != m.to_integral_value():
        raise Skip()
    return fit(int(m))


def add(a, b, sub):
    (am, as_), (bm, bs) = a, b
    # Alignment: the smaller scale takes decimal places while it is below
    # LIMIT; it would otherwise drop digits of the other (not generated).
    while as_ != bs:
        if as_ < bs:
            if am == 0:
                as_ = bs
            elif abs(am) < LIMIT:
                am, as_ = am * 10, as_ + 1
            else:
                raise Skip()
        else:
            if bm == 0:
                bs = as_
            elif abs(bm) < LIMIT:
                bm, bs = bm * 10, bs + 1
            else:
                raise Skip()
    with localcontext() as c:
        c.prec = 200
        d = value(a) - value(b) if sub else value(a) + value(b)
    return (at_scale(d, as_), as_)


def mul(a, b):
    with localcontext() as c:
        c.prec = 200
        d = value(a) * value(b)
    s = a[1] + b[1]
    return (at_scale(d, s), s)


def nonneg(n):
    m, s = n
    if s < 0:
        return (fit(m * 10 ** -s), 0)
    return n


def div(a, b):
    if b[0] == 0:
        return (99999999, 0)
    a, b = nonneg(a), nonneg(b)
    m, d = a[0], b[1]
    e = 0
    if d > 0:
        m = fit(m * 10 ** d)
        while e < d and abs(m) <= LIMIT:
            m, e = m * 10, e + 1
    s = a[1] + e
    with localcontext() as c:
        c.prec = 200
        c.rounding = ROUND_DOWN
        q = (value(a) / value(b)).quantize(Decimal(1).scaleb(-s))
    return (at_scale(q, s), s)


def mod(a, b):
    if b[0] == 0:
        return a
    a, b = nonneg(a), nonneg(b)
    fit(b[0] * 10 ** a[1])
    fit(a[0] * 10 ** b[1])
    s = a[1] + b[1]
    with localcontext() as c:
        c.prec = 200
        r = value(a) % value(b)  # the sign of the dividend
    return (at_scale(r, s), s)


OPS = {'+': lambda a, b: add(a, b, False), '-': lambda a, b: add(a, b, True), '*': mul, '/': div, '%': mod}


def fmt(n):
    m, s = n
    digits = str(abs(m))
    if s < 0:
        digits += '0' * -s
    elif s > 0:
        if len(digits) <= s:
            digits = '0.' + '0' * (s - len(digits)) + digits
        else:
            digits = digits[:-s] + '.' + digits[-s:]
    return ('-' if m < 0 else '') + digits


def literal(rng):
    """A number literal as written and its (mantissa, scale)."""
    kind = rng.randrange(10)
    if kind == 0:
        v = rng.randrange(1 << 20)
        return '0x%X' % v, (v, 0)
    if kind == 1:
        m = rng.randrange(1, 100)
        e = rng.randrange(-4, 5)
        text = '%d.%dE%d' % (m // 10, m % 10, e) if m >= 10 else '%dE%d' % (m, e)
        d = Decimal(text)
        s = (1 if m >= 10 else 0) - e
        return text, (at_scale(d, s), s)
    places = rng.randrange(9)
    whole = rng.choice([0, rng.randrange(10), rng.randrange(1000), rng.randrange(10 ** 7)])
    frac = rng.randrange(10 ** places) if places else 0
    text = str(whole)
    if whole >= 1000 and rng.randrange(2):
        text = '{:,}'.format(whole)
    if places:
        text += '.' + str(frac).zfill(places)
    return text, (whole * 10 ** places + frac, places)


class Gen:
    def __init__(self, rng):
        self.rng = rng

    def sum(self, depth):
        """Text and value of a sum of terms, evaluated as the machine
        does: from 0, adding or subtracting each term."""
        rng = self.rng
        acc = (0, 0)
        parts = []
        for k in range(rng.randrange(1, 4)):
            t_text, t_val = self.term(depth)
            op = '+' if k == 0 or rng.randrange(2) else '-'
            if k:
                parts.append(op)
            parts.append(t_text)
            acc = add(acc, t_val, op == '-')
        return ''.join(parts), acc

    def term(self, depth):
        rng = self.rng
        f_text, acc = self.factor(depth)
        parts = [f_text]
        for _ in range(rng.randrange(3)):
            op = rng.choice('*/%')
            f_text, f_val = self.factor(depth)
            parts += [op, f_text]
            acc = OPS[op](acc, f_val)
        return ''.join(parts), acc

    def factor(self, depth):
        rng = self.rng
        if depth > 0 and rng.randrange(3) == 0:
            s_text, s_val = self.sum(depth - 1)
            if rng.randrange(4) == 0:
                # A '-' right after '(' subtracts the first term from 0.
                s_text, s_val = self.negated(depth - 1)
            return '(' + s_text + ')', add((0, 0), s_val, False)
        return literal(rng)

    def negated(self, depth):
        rng = self.rng
        acc = (0, 0)
        parts = ['-']
        for k in range(rng.randrange(1, 3)):
            t_text, t_val = self.term(depth)
            op = '-' if k == 0 else rng.choice('+-')
            if k:
                parts.append(op)
            parts.append(t_text)
            acc = add(acc, t_val, op == '-')
        return ''.join(parts), acc


def exprs(seed, count, out):
    rng = random.Random(seed)
    g = Gen(rng)
    written = 0
    with open(out, 'w') as f:
        while written < count:
            try:
                text, v = g.sum(3)
                v = add((0, 0), v, False)
            except Skip:
                continue
            f.write('#(%s)\t%s\n' % (text, fmt(v)))
            written += 1


def cell_number(cell):
    """A cell as the evaluator reads it: digits, one point, separators."""
    t = cell.replace(',', '').strip()
    if not t:
        return (0, 0)
    d = Decimal(t)
    s = max(0, -d.as_tuple().exponent)
    return (at_scale(d, s), s)


def ranges(table, specs, out):
    with open(table, encoding='cp932', newline='') as f:
        rows = list(csv.reader(f))
    with open(specs) as f, open(out, 'w') as o:
        for line in f:
            c1, c2, r1, r2 = map(int, line.split())
            total = None
            for r in range(r1, r2 + 1):
                for c in range(c1, c2 + 1):
                    row = rows[r - 1] if r - 1 < len(rows) else []
                    n = cell_number(row[c - 1]) if c - 1 < len(row) else (0, 0)
                    total = n if total is None else add(total, n, False)
            o.write(fmt(add((0, 0), total or (0, 0), False)) + '\n')


if __name__ == '__main__':
    if sys.argv[1] == 'exprs':
        exprs(int(sys.argv[2]), int(sys.argv[3]), sys.argv[4])
    else:
        ranges(sys.argv[2], sys.argv[3], sys.argv[4])
