# For each second byte 0x40..0x96 of a Shift-JIS katakana led by 0x83, the
# half-width (JIS X 0201) form that Python's cp932 codec and unicodedata
# give: the letter byte plus 256 times the mark byte (0xDE or 0xDF), or -1
# when no half-width form has that character as its NFKC form.
import unicodedata

forms = {}
for x in range(0xA1, 0xE0):
    u = bytes([x]).decode('cp932')
    forms.setdefault(unicodedata.normalize('NFKC', u), x)
    for mark in (0xDE, 0xDF):
        m = bytes([mark]).decode('cp932')
        n = unicodedata.normalize('NFKC', u + m)
        if len(n) == 1:
            forms.setdefault(n, x + 256 * mark)

for b in range(0x40, 0x97):
    try:
        ch = bytes([0x83, b]).decode('cp932')
    except UnicodeDecodeError:
        print(b, -1)
        continue
    print(b, forms.get(ch, -1))
