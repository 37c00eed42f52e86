# The yardstick of bench_macroexpr: evaluates every expression of a file
# ("#(expression)<TAB>expected" lines) with Python's decimal module under the
# macro language's scale rules (tests/macro/decimal_reference.py) and prints
# one result text a line.
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tests', 'macro'))
import decimal_reference as ref  # noqa: E402

TOKEN = re.compile(r'0[xX][0-9A-Fa-f]+|[0-9][0-9,]*(?:\.[0-9]*)?(?:E[-+]?[0-9]+)?|[-+*/%()]')


def number(t):
    if t[:2] in ('0x', '0X'):
        return (int(t[2:], 16), 0)
    t = t.replace(',', '')
    m, _, e = t.partition('E')
    whole, _, frac = m.partition('.')
    s = len(frac) - (int(e) if e else 0)
    return (int(whole + frac), s)


class Parser:
    def __init__(self, text):
        self.toks = TOKEN.findall(text)
        self.i = 0

    def peek(self):
        return self.toks[self.i] if self.i < len(self.toks) else ''

    def take(self):
        t = self.peek()
        self.i += 1
        return t

    def sum(self):
        acc = (0, 0)
        neg = False
        while self.peek() in ('+', '-'):
            neg = neg != (self.take() == '-')
        while True:
            acc = ref.add(acc, self.term(), neg)
            t = self.peek()
            if t not in ('+', '-'):
                if t == ')':
                    self.take()
                return acc
            neg = False
            while self.peek() in ('+', '-'):
                neg = neg != (self.take() == '-')

    def term(self):
        v = self.factor()
        while self.peek() in ('*', '/', '%'):
            v = ref.OPS[self.take()](v, self.factor())
        return v

    def factor(self):
        t = self.take()
        if t == '(':
            return self.sum()
        return number(t)


def main(path):
    out = []
    with open(path) as f:
        for line in f:
            expr = line.split('\t', 1)[0]
            p = Parser(expr[1:])  # after the '#'
            v = ref.add((0, 0), p.sum(), False)
            out.append(ref.fmt(v))
    sys.stdout.write('\n'.join(out) + '\n')


if __name__ == '__main__':
    main(sys.argv[1])
