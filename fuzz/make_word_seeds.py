#!/usr/bin/python3
"""Seeds of fuzz/word_fuzz.cpp from the Word fixtures of
tests/convert/make_word_fixtures.sh.

usage: make_word_seeds.py FIXTURE_DIR fuzz/corpus/word

Writes: the streams of each small document as stream copies (first byte 0,
40 or 160, the main and table lengths, main, table, Data), each .doc as a
whole file (first byte 2, and 10 for an RTF name), an early Word file with a
table and an 8-bit stream (first byte 1).
"""
import os
import struct
import sys

src, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)


def put(name, data):
    with open(os.path.join(out, name), 'wb') as f:
        f.write(data)


for doc in ('word_small', 'word_ascii'):
    d = os.path.join(src, 'streams', doc)
    main = open(os.path.join(d, 'WordDocument'), 'rb').read()
    table = open(os.path.join(d, '1Table'), 'rb').read()
    data_path = os.path.join(d, 'Data')
    data = open(data_path, 'rb').read() if os.path.exists(data_path) else b''
    for how in (0, 8 * 5, 8 * 20):
        put('%s-copies-%d' % (doc, how), bytes([how]) + struct.pack('<HH', len(main), len(table)) + main + table + data)
    whole = open(os.path.join(src, doc + '.doc'), 'rb').read()
    put(doc + '-file', bytes([2]) + whole)
    put(doc + '-file-rtfname', bytes([10]) + whole)

early = bytearray(0x180)
early[0:3] = b'\x94\xa6\x2e'
body = b'a\r\x07b\r\x07\r\x07after\r'
early[0x1C:0x20] = struct.pack('<I', 0x180 + len(body))
put('early', bytes([1]) + bytes(early) + body)
put('eightbit', bytes([1]) + b'\xfe\x37\x00' + bytes(0x1fe) + b'caf\xe9 na\xefve')
put('rtf-main', bytes([0]) + struct.pack('<HH', 13, 0) + b'{\\rtf1 hello}')
