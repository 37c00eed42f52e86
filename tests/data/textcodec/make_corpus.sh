#!/bin/sh
# Regenerates the encoding corpus from original.utf8 with iconv and nkf (and
# python3 for the BinHex sample, with its CRC from binascii.crc_hqx).
# The tests compare every file's decoding with sjis.txt byte for byte.
set -e
cd "$(dirname "$0")"
# Shift-JIS original, CR LF line ends.
sed 's/$/\r/' original.utf8 | iconv -f UTF-8 -t CP932 > sjis.txt
iconv -f CP932 -t UTF-8 sjis.txt > utf8.txt
{ printf '\357\273\277'; cat utf8.txt; } > utf8bom.txt
{ printf '\377\376'; iconv -f CP932 -t UTF-16LE sjis.txt; } > utf16le.txt
{ printf '\376\377'; iconv -f CP932 -t UTF-16BE sjis.txt; } > utf16be.txt
nkf --ic=CP932 --oc=CP51932 -x sjis.txt > eucjp.txt
nkf --ic=CP932 --oc=CP50221 -x sjis.txt > iso2022jp.txt
base64 sjis.txt > base64.txt
python3 - <<'PY'
import binascii
data = open('sjis.txt', 'rb').read()
name = b'sjis.txt'
def crc(b):
    return binascii.crc_hqx(b, 0).to_bytes(2, 'big')
head = bytes([len(name)]) + name + b'\0' + b'TEXT' + b'ttxt' + b'\0\0' + \
    len(data).to_bytes(4, 'big') + (0).to_bytes(4, 'big')
body = head + crc(head) + data + crc(data) + crc(b'')
rle = bytearray()
i = 0
while i < len(body):
    b = body[i]
    if b == 0x90:
        rle += b'\x90\x00'
        i += 1
        continue
    j = i
    while j < len(body) and body[j] == b and j - i < 255:
        j += 1
    if j - i >= 4:
        rle += bytes([b, 0x90, j - i])
        i = j
    else:
        rle.append(b)
        i += 1
alphabet = b'!"#$%&\'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr'
chars = bytearray(b':')
bits = nbits = 0
for b in rle:
    bits = (bits << 8) | b
    nbits += 8
    while nbits >= 6:
        nbits -= 6
        chars.append(alphabet[(bits >> nbits) & 63])
if nbits:
    chars.append(alphabet[(bits << (6 - nbits)) & 63])
chars += b':'
lines = [bytes(chars[k:k + 64]) for k in range(0, len(chars), 64)]
with open('binhex.hqx', 'wb') as f:
    f.write(b'(This file must be converted with BinHex 4.0)\r\n\r\n')
    f.write(b'\r\n'.join(lines) + b'\r\n')
PY
