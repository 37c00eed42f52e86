#!/usr/bin/env python3
"""Expected results of the built-in number functions and number formats,
computed with Python's math, decimal and integers, openpyxl's column letters
and the cp932 codec.

Input lines: name TAB operand TAB variable-155-as-hex TAB field-as-hex.
Output: one result a line, as hex; "*" where Python has no answer to compare
with (a character the cp932 codec cannot write).

Run with /usr/bin/python3, where Debian's python3-openpyxl lives; without
openpyxl the column letters are computed here (bijective base 26) and a note
goes to standard error.
"""
import math
import sys
from decimal import Decimal, ROUND_DOWN, ROUND_HALF_UP, ROUND_UP, getcontext

try:
    from openpyxl.utils import get_column_letter
except ImportError:  # pragma: no cover - depends on the machine
    sys.stderr.write("openpyxl missing: column letters computed by the script\n")

    def get_column_letter(n):
        s = ""
        while n > 0:
            n, r = divmod(n - 1, 26)
            s = chr(65 + r) + s
        return s

getcontext().prec = 100000
MASK = (1 << 64) - 1
INT64_MAX = (1 << 63) - 1
DEG = 0.017453292519943278
RAD = 57.29577951308239
LEAD = set(range(0x81, 0xA0)) | set(range(0xE0, 0xF0)) | set(range(0xFA, 0xFD))
FLOATING = {"FSIN", "FCOS", "FTAN", "SINH", "COSH", "TANH", "ASIN", "ACOS", "ATAN", "SQRT", "POWR", "EXPN",
            "LOGN", "LOGD", "SQUA", "CUBE", "TNE", "TEN"}


def signed(v):
    v &= MASK
    return v - (1 << 64) if v >> 63 else v


def second_byte_flags(b):
    """True for the second byte of a double-byte character."""
    flags, lead = [], False
    for i, c in enumerate(b):
        if lead:
            flags.append(True)
            lead = False
        else:
            flags.append(False)
            lead = c in LEAD and i + 1 < len(b)
    return flags


def exponent_at(b, i):
    """(exponent, next index) for 'E'/'e', a sign and digits at b[i]; None without digits."""
    if i >= len(b) or b[i] not in b"Ee":
        return None
    j = i + 1
    sign = 1
    if j < len(b) and b[j] in b"+-":
        sign = -1 if b[j] == ord("-") else 1
        j += 1
    k = j
    while k < len(b) and 48 <= b[k] <= 57:
        k += 1
    if k == j:
        return None
    return sign * int(b[j:k]), k


def read_number(b, mode):
    """(quoted, negative, nonzero, magnitude, value) as the library reads the field."""
    quoted = b[:1] == b'"'
    if quoted:
        b = b[1:]
    if mode == "hex" or b[:2] in (b"0x", b"0X"):
        if b[:2] in (b"0x", b"0X"):
            b = b[2:]
        m = 0
        for c in b:
            if chr(c) not in "0123456789abcdefABCDEF":
                break
            m = min(m * 16 + int(chr(c), 16), INT64_MAX)
        return quoted, False, m != 0, m, float(m)
    flags = second_byte_flags(b)
    negative = digit = False
    digits = ""
    exp = 0
    i = 0
    frac = None
    while i < len(b):
        c = b[i]
        if flags[i]:
            i += 1
            continue
        if 48 <= c <= 57:
            digit = True
            digits += chr(c)
        elif c == ord("-") and not digit:
            negative = True
        elif c == ord("."):
            i += 1
            j = i
            while j < len(b) and 48 <= b[j] <= 57:
                j += 1
            frac = b[i:j].decode()
            i = j
            if mode == "float":
                e = exponent_at(b, i)
                if e:
                    exp = e[0]
            break
        elif mode == "float" and digit and exponent_at(b, i):
            exp = exponent_at(b, i)[0]
            break
        i += 1
    m = min(int(digits or "0"), INT64_MAX)
    frac = frac or ""
    nonzero = m != 0 or frac.strip("0") != ""
    frac12 = frac[:12]
    if m == 0 and frac12.strip("0") == "":
        value = 0.0
    elif exp > 400:
        value = math.inf
    elif exp < -400:
        value = 0.0
    else:
        value = float("%d.%se%d" % (m, frac12 or "0", exp))
    return quoted, negative, nonzero, m, -value if negative else value


def decimals(n):
    return 6 if n < 0 else min(n, 99)


def second_operand(s, fraction):
    i = 1 if s[:1] == "-" else 0
    j = i
    while j < len(s) and "0" <= s[j] <= "9":
        j += 1
    m = min(int(s[i:j] or "0"), INT64_MAX)
    f = ""
    if fraction and j < len(s) and s[j] == ".":
        k = j + 1
        while k < len(s) and "0" <= s[k] <= "9":
            k += 1
        f = s[j + 1:k][:10]
    v = float("%d.%s" % (m, f or "0")) if fraction else m
    return -v if s[:1] == "-" else v


def floating(name, v, n, second):
    if name in ("FSIN", "FCOS", "FTAN", "SINH", "COSH", "TANH"):
        v *= DEG
    if name in ("SQRT", "POWR", "LOGN", "LOGD") and v <= 0:
        r = 0.0
    else:
        funcs = {"FSIN": math.sin, "FCOS": math.cos, "FTAN": math.tan, "SINH": math.sinh, "COSH": math.cosh,
                 "TANH": math.tanh, "ASIN": math.asin, "ACOS": math.acos, "ATAN": math.atan, "SQRT": math.sqrt,
                 "EXPN": math.exp, "LOGN": math.log, "LOGD": math.log10, "SQUA": lambda x: x * x,
                 "CUBE": lambda x: x * x * x, "POWR": lambda x: math.pow(x, second_operand(second, True))}
        try:
            r = funcs[name](v)
        except (ValueError, OverflowError):
            return "EROR"
    if name in ("ASIN", "ACOS", "ATAN"):
        r *= RAD
    if not math.isfinite(r):
        return "EROR"
    return ("-" if r < 0 else "") + "%.*f" % (decimals(n), abs(r))


def exponent_form(v, n):
    if not math.isfinite(v):
        return "EROR"
    s = "%.*e" % (decimals(n), v)
    mant, exp = s.split("e")
    s = mant + "e" + exp[0] + exp[1:].zfill(3)  # three exponent digits, then the rewrite
    return s.replace("e+0", "E+").replace("e-0", "E-")


def bits(name, x, y):
    if name == "BAND":
        return signed(x & y)
    if name == "BIOR":
        return signed(x | y)
    if name == "BEOR":
        return signed(x ^ y)
    if name == "BNOT":
        return signed(~x)
    if y <= 0:
        return x
    if name == "BSFR":
        return x >> min(y, 64)
    return 0 if y >= 64 else signed(x << y)


# Characters code page 932 has twice, in the NEC-selected rows (0xED, 0xEE)
# and the IBM extension rows (0xFA-0xFC): the system writes the IBM code,
# where Python's codec writes the NEC-selected one.
IBM = {}
for code in range(0xFA40, 0xFC4C):
    try:
        IBM.setdefault(bytes([code >> 8, code & 255]).decode("cp932"), bytes([code >> 8, code & 255]))
    except UnicodeDecodeError:
        pass
# Single bytes that Python's codec maps to U+0080 and private-use characters;
# whether they have a form depends on the platform's table, so they are not
# compared.
PLATFORM_ONLY = {0x80, 0xF8F0, 0xF8F1, 0xF8F2, 0xF8F3}


def cp932(u):
    b = chr(u).encode("cp932")
    if len(b) == 2 and b[0] in (0xED, 0xEE) and chr(u) in IBM:
        return IBM[chr(u)]
    return b


def cell_safe(b):
    return bytes(0x20 if c in (0, 6) else 0x7F if c == 13 else 0x0E if c == 10 else c for c in b)


def sjis_bytes(code):
    if code < 0 or code > 0xFCFF:
        return b"??"
    return cell_safe(bytes([code >> 8, code & 255]) if code > 255 else bytes([code]))


def exact(field):
    """The field as a Decimal, or None when it is no number."""
    import re
    s = field.strip(" ")
    if not re.fullmatch(r"[-+]?([0-9][0-9,]*)?(\.[0-9]*)?", s) or not any("0" <= c <= "9" for c in s):
        return None
    return Decimal(s.replace(",", ""))


def plain(d):
    s = format(d, "f")
    if s.startswith("-") and d == 0:
        s = s[1:]
    return s


def number_format(name, n, field, zero_div):
    quoted = field[:1] == '"'
    inner = field[1:] if quoted else field
    if quoted and inner.endswith('"'):
        inner = inner[:-1]
    d = exact(inner)
    if d is None:
        return field
    mode = {"U": ROUND_UP, "D": ROUND_DOWN, "M": ROUND_HALF_UP}
    places = -d.as_tuple().exponent
    if name == "MUL":
        r = plain(d * n)
    elif name == "DIV":
        r = str(zero_div) if n == 0 else plain((d / n).quantize(Decimal(1).scaleb(-places), rounding=ROUND_DOWN))
    elif name == "AP":
        r = plain(d.scaleb(-n))
    elif name == "FP":
        r = plain(d.quantize(Decimal(1).scaleb(-n), rounding=ROUND_HALF_UP))
    elif name.startswith("RD"):
        r = plain(d.quantize(Decimal(1).scaleb(-n), rounding=mode[name[2]]) if places > n else d)
    else:
        q = d.quantize(Decimal(1).scaleb(n), rounding=mode[name[2]])
        r = plain(q.quantize(Decimal(1)))
    return '"' + r + '"' if quoted else r


def result(name, n, second, b):
    if name in ("MUL", "DIV", "AP", "FP", "RDU", "RDD", "RDM", "RZU", "RZD", "RZM"):
        return number_format(name, n, b.decode("latin-1"), 99999999).encode("latin-1")
    mode = "hex" if name == "TXN" else "float" if name in FLOATING else "int"
    quoted, negative, nonzero, m, value = read_number(b, mode)
    x = -m if negative else m
    if name in ("TNE", "TEN"):
        r = exponent_form(value, n).encode()
    elif name in FLOATING:
        r = floating(name, value, n, second).encode()
    elif name in ("BAND", "BIOR", "BEOR", "BNOT", "BSFR", "BSFL"):
        y = n if n >= 0 else second_operand(second, False)
        r = str(bits(name, x, y)).encode()
    elif name == "TNR":
        r = get_column_letter(x).encode() if 1 <= x <= 18278 else b"???"
    elif name == "TNA":
        r = sjis_bytes(x)
    elif name == "TNU":
        if not 0 <= x <= 0xFFFF:
            r = b"?"
        elif x in PLATFORM_ONLY:
            return None
        else:
            try:
                r = cell_safe(cp932(x))
            except UnicodeEncodeError:
                return None
    elif name == "TXN":
        r = str(x).encode()
    elif name == "TNX":
        r = (b"0x" if n == 1 else b"") + format(x & MASK, "x").encode()
    elif name == "RM":
        rem = m % abs(n) if n else m
        r = (("-" if negative and rem else "") + str(rem)).encode()
    elif name == "ABS":
        r = str(m).encode()
    elif name == "SGN":
        r = b"-1" if negative and nonzero else b"1"
    else:
        raise ValueError(name)
    return b'"' + r + b'"' if quoted else r


for line in sys.stdin:
    name, n, second, field = line.rstrip("\n").split("\t")
    r = result(name, int(n), bytes.fromhex(second).decode("latin-1"), bytes.fromhex(field))
    print("*" if r is None else r.hex())
