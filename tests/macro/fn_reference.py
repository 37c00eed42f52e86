#!/usr/bin/env python3
"""Expected results of the built-in width, case, comma and prefecture
functions, computed from the cp932 characters of each field.

Input lines: name TAB number TAB field-as-hex. Output: one hex result a line.
"""
import sys

PREFS = ("北海道 青森県 岩手県 宮城県 秋田県 山形県 福島県 茨城県 栃木県 群馬県 埼玉県 千葉県 東京都 "
         "神奈川県 新潟県 富山県 石川県 福井県 山梨県 長野県 岐阜県 静岡県 愛知県 三重県 滋賀県 京都府 大阪府 "
         "兵庫県 奈良県 和歌山県 鳥取県 島根県 岡山県 広島県 山口県 徳島県 香川県 愛媛県 高知県 福岡県 佐賀県 "
         "長崎県 熊本県 大分県 宮崎県 鹿児島県 沖縄県").split()


def kinds(b):
    """0 single byte, 1 lead byte, 2 second byte, from the decoded characters."""
    out = []
    for ch in b.decode("cp932"):
        n = len(ch.encode("cp932"))
        out += [0] if n == 1 else [1, 2]
    return out


def width(name, w, b):
    k = kinds(b)
    n = len(b)
    if n == w:
        return b
    if name in ("FR", "F0", "AR", "A0", "CR"):
        fill = {"FR": b" ", "AR": b" ", "F0": b"0", "A0": b"0", "CR": b""}[name]
        if n < w:
            return b.ljust(w, fill) if fill else b
        if name in ("AR", "A0"):
            return b
        cut = bytearray(b[:w])
        if w > 0 and k[w - 1] == 1:
            cut[w - 1] = 0x20
        return bytes(cut)
    # left side
    if name in ("FZ", "AZ"):
        if n < w:
            return b.zfill(w)  # the sign first, zeros counted in bytes
        if name == "AZ":
            return b
        sign = b[:1] if b[:1] in (b"-", b"+") else b""
        skip = n - w
        keep = len(sign) + skip
        tail = bytearray(b[keep:])
        if tail and k[keep] == 2:
            tail[0] = 0x20
        return sign + bytes(tail)
    if n < w:
        return b if name == "CL" else b.rjust(w, b" ")
    if name == "AL":
        return b
    tail = bytearray(b[n - w:])
    if tail and k[n - w] == 2:
        tail[0] = 0x20
    return bytes(tail)


def case(name, b):
    s = b.decode("cp932")
    out = []
    first = True
    for ch in s:
        if name == "UP":
            out.append(ch.upper() if "a" <= ch <= "z" else ch)
        elif name == "LW":
            out.append(ch.lower() if "A" <= ch <= "Z" else ch)
        elif ch == '"':
            out.append(ch)
        else:
            if first:
                out.append(ch.upper() if "a" <= ch <= "z" else ch)
            else:
                out.append(ch.lower() if "A" <= ch <= "Z" else ch)
            first = False
    return "".join(out).encode("cp932")


def commas(b):
    s = b.decode("ascii")
    sign = s[0] if s[:1] in "+-" and s else ""
    body = s[len(sign):]
    whole, dot, frac = body.partition(".")
    return (sign + format(int(whole), ",") + dot + frac).encode("ascii")


def prefecture(name, b):
    s = b.decode("cp932")
    for p in PREFS:
        if s.startswith(p):
            return (p if name == "KEN" else s[len(p):]).encode("cp932")
    return b"" if name == "KEN" else b


for line in sys.stdin:
    name, num, field = line.rstrip("\n").split("\t")
    b = bytes.fromhex(field)
    if name in ("UP", "LW", "TU"):
        r = case(name, b)
    elif name == "AC":
        r = commas(b)
    elif name in ("KEN", "KENR"):
        r = prefecture(name, b)
    else:
        r = width(name, int(num), b)
    print(r.hex())
