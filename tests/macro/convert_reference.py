#!/usr/bin/env python3
"""Cases and expected results of the built-in code conversions, from outside
tools: iconv (UTF-8 to CP932, SHIFT_JIS, EUC-JP, UTF-16LE, ISO-2022-JP), nkf
(ISO-2022-JP), base64 -d, and Python's unicodedata (NFKC) and cp932 codec.

A word list in UTF-8 (every JIS X 0208 character, half-width katakana,
ASCII, characters without a CP932 form, four-byte characters) is converted
by the tools into each input encoding, one word per case.

Output lines: NAME TAB input-as-hex TAB expected-as-hex.
"""
import base64
import random
import subprocess
import sys
import unicodedata


def tool(args, data):
    p = subprocess.run(args, input=data, capture_output=True)
    return p.stdout if p.returncode == 0 else None


def lines(args, words, unit=1):
    """Converts the words (one a line) in one run; one result per word
    (`unit` bytes per code unit of the output)."""
    out = tool(args, b"".join(w.encode("utf-8") + b"\n" for w in words))
    assert out is not None, args
    nl = b"\n".ljust(unit, b"\0")
    parts, start = [], 0
    for i in range(0, len(out), unit):
        if out[i:i + unit] == nl:
            parts.append(out[start:i])
            start = i + unit
    parts.append(out[start:])
    assert parts[-1] == b"" and len(parts) == len(words) + 1, args
    return parts[:-1]


def cp932_or_marks(word):
    """iconv -t CP932, each character iconv reports without mapping as '?'."""
    whole = tool(["iconv", "-f", "UTF-8", "-t", "CP932"], word.encode("utf-8"))
    if whole is not None:
        return whole
    out = b""
    for ch in word:
        one = tool(["iconv", "-f", "UTF-8", "-t", "CP932"], ch.encode("utf-8"))
        out += one if one is not None else b"?"
    return out


def jis_words():
    """Every JIS X 0208 character (as glibc decodes its EUC-JP), eight a word."""
    cells = []
    for row in range(0x21, 0x75):
        for cell in range(0x21, 0x7F):
            b = bytes([row | 0x80, cell | 0x80])
            try:
                b.decode("euc_jp")
            except UnicodeDecodeError:
                continue
            cells.append(b)
    text = tool(["iconv", "-f", "EUC-JP", "-t", "UTF-8"], b"\n".join(cells)).decode("utf-8").split("\n")
    return ["".join(text[i:i + 8]) for i in range(0, len(text), 8)]


def main():
    rnd = random.Random(41)
    jis = jis_words()
    kana = ["".join(chr(0xFF61 + rnd.randrange(63)) for _ in range(1 + rnd.randrange(8))) for _ in range(60)]
    kana += ["ｶﾀｶﾅ", "ｶﾞｷﾞﾊﾟ", "ﾃﾞｰﾀ"]
    ascii_chars = [chr(c) for c in range(0x20, 0x7F) if chr(c) not in "\\~"]
    ascii_words = ["".join(rnd.choice(ascii_chars) for _ in range(1 + rnd.randrange(12))) for _ in range(40)]
    mixed = [rnd.choice(ascii_words) + rnd.choice(jis) + rnd.choice(ascii_words) for _ in range(40)]
    beyond = ["é", "ü", "€", "한국", "aéb", "ñandú", "ẞ"]
    four = ["😀", "𠮷野家", "a😀b", "🍣🍺"]
    out = []

    def case(name, given, expected):
        out.append("%s\t%s\t%s" % (name, given.hex(), expected.hex()))

    # UTF-8 and UTF-16: iconv -t CP932.
    every = jis + kana + ascii_words + mixed
    sjis = lines(["iconv", "-f", "UTF-8", "-t", "CP932"], every)
    for w, s in zip(every, sjis):
        case("UTF8", w.encode("utf-8"), s)
    for w in beyond + four:
        case("UTF8", w.encode("utf-8"), cp932_or_marks(w))
    wide = lines(["iconv", "-f", "UTF-8", "-t", "UTF-16LE"], every + beyond + four, 2)
    for w, u16, s in zip(every + beyond + four, wide, sjis + [cp932_or_marks(w) for w in beyond + four]):
        # A pair whose first byte ends a field ends the conversion: such
        # words are left to the edge cases.
        if any(u16[i] in (0, 6, 10, 13) for i in range(0, len(u16), 2)):
            continue
        case("UNIC", u16, s)
    # EUC-JP and ISO-2022-JP: iconv -t SHIFT_JIS (the JIS arithmetic).
    euc_words = jis + kana + ascii_words + mixed
    for w, e, s in zip(euc_words, lines(["iconv", "-f", "UTF-8", "-t", "EUC-JP"], euc_words),
                       lines(["iconv", "-f", "UTF-8", "-t", "SHIFT_JIS"], euc_words)):
        case("EUCC", e, s)
    jis_only = jis + ascii_words + mixed
    shift = lines(["iconv", "-f", "UTF-8", "-t", "SHIFT_JIS"], jis_only)
    for w, j, s in zip(jis_only, lines(["iconv", "-f", "UTF-8", "-t", "ISO-2022-JP"], jis_only), shift):
        case("BINH", j, s)
    for w, j, s in zip(jis_only, lines(["nkf", "-W", "-j"], jis_only), shift):
        case("BINH", j, s)
    # Base64: base64 -d, padded and unpadded alike.
    for _ in range(150):
        raw = bytes(rnd.choice([b for b in range(256) if b not in (0, 6, 10, 13)])
                    for _ in range(rnd.randrange(40)))
        enc = base64.b64encode(raw)
        dec = tool(["base64", "-d"], enc)
        case("BASE", enc, dec)
        case("BASE", enc.rstrip(b"="), dec)
    # Half-width katakana to full width: NFKC, a mark that does not merge
    # into a character of the code page written as its own full-width mark.
    spacing = {"\u3099": "\u309b", "\u309a": "\u309c"}
    for c in range(0xFF61, 0xFFA0):
        for mark in ("", "ﾞ", "ﾟ", "a"):
            word = chr(c) + mark
            full = unicodedata.normalize("NFKC", word)
            try:
                expected = full.encode("cp932")
            except UnicodeEncodeError:
                expected = b"".join(spacing.get(unicodedata.normalize("NFKC", ch), unicodedata.normalize("NFKC", ch))
                                    .encode("cp932") for ch in word)
            case("TZK", word.encode("cp932"), expected)
            # Full width back: the letters of the 0x83 block.
            if expected[:1] == b"\x83" and len(expected) == 2:
                case("THK", expected, word.encode("cp932"))
    # Character codes: every character of the code page.
    for code in list(range(0x20, 0x7F)) + list(range(0xA1, 0xE0)) + \
            [l * 256 + t for l in list(range(0x81, 0xA0)) + list(range(0xE0, 0xF0)) + [0xFA, 0xFB, 0xFC]
             for t in range(0x40, 0xFD) if t != 0x7F]:
        b = code.to_bytes(2 if code > 0xFF else 1, "big")
        try:
            ch = b.decode("cp932")
        except UnicodeDecodeError:
            continue
        if len(ch) != 1 or ch == '"':  # a double quote opens a quoted field
            continue
        case("TAN", b, str(code).encode())
        case("TUN", b, str(ord(ch)).encode())
    print("\n".join(out))


if __name__ == "__main__":
    main()
