#!/usr/bin/python3
"""Seeds of fuzz/ppt_fuzz.cpp from the PowerPoint fixtures of
tests/convert/make_ppt_fixtures.sh.

usage: make_ppt_seeds.py FIXTURE_DIR fuzz/corpus/ppt

Writes: the streams of each presentation as stream copies (first byte 0, 4
with the listing, 8 with the picture copy, 53 with the small line width and
event list; then the 16-bit length of "Pictures", the record stream and the
pictures), each presentation's two streams as a whole file made by gsf
(first byte 3), an older-form stream
and a stream of the oldest form.
"""
import os
import struct
import subprocess
import sys
import tempfile

import olefile

src, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)


def put(name, data):
    with open(os.path.join(out, name), 'wb') as f:
        f.write(data)


def rec(ver_inst, rtype, body):
    return struct.pack('<HHI', ver_inst, rtype, len(body)) + body


for doc in ('ppt_slides', 'ppt_frames'):
    path = os.path.join(src, doc + '.ppt')
    ole = olefile.OleFileIO(path)
    main = ole.openstream('PowerPoint Document').read()
    pics = ole.openstream('Pictures').read() if ole.exists('Pictures') else b''
    pics = pics[:0xFFFF]
    for how in (0, 4, 8, 53):
        put('%s-copies-%d' % (doc, how), bytes([how]) + struct.pack('<H', len(pics)) + main + pics)
    # The whole file, remade from its two streams by gsf (LibreOffice's is
    # 600 KB, mostly empty sectors).
    with tempfile.TemporaryDirectory() as tmp:
        for name, data in (('PowerPoint Document', main), ('Pictures', pics)):
            with open(os.path.join(tmp, name), 'wb') as f:
                f.write(data)
        small = os.path.join(tmp, 'small.ppt')
        subprocess.run(['gsf', 'createole', small, os.path.join(tmp, 'PowerPoint Document'),
                        os.path.join(tmp, 'Pictures')], check=True, capture_output=True)
        put(doc + '-file', b'\x03' + open(small, 'rb').read())

older = (rec(0x0003, 0, b'') + rec(0, 0x03F4, b'') +
         rec(0, 0x0FBA, b'\0\x000\0Q\x911\x0bx\ry') + rec(0, 0x07EE, b'..5\0\xffz'))
put('older', b'\x00\x00\x00' + older)
put('oldest', b'\x00\x00\x00' + b'\x00d' + b'x' * 100)
