"""Writes the seeds of the BIFF targets from the workbook fixtures
(tests/convert/make_xls_fixtures.sh): fuzz/corpus/biff/ gets each
workbook's stream behind an options byte per display mode, and
fuzz/corpus/biffstring/ strings of the forms a table holds.

usage: make_biff_seeds.py FIXTURE_DIR REPO_DIR"""
import os
import struct
import sys

import olefile

fix, repo = sys.argv[1], sys.argv[2]
biff = os.path.join(repo, 'fuzz', 'corpus', 'biff')
strings = os.path.join(repo, 'fuzz', 'corpus', 'biffstring')
os.makedirs(biff, exist_ok=True)
os.makedirs(strings, exist_ok=True)
streams = {}
for name in ('xls_formats', 'xls_1904', 'xls_objects', 'xls_empty'):
    ole = olefile.OleFileIO(os.path.join(fix, name + '.xls'))
    data = ole.openstream('Workbook').read().rstrip(b'\0')
    streams[name] = data[:12000]
streams['biff5'] = open(os.path.join(fix, 'biff5_stream.bin'), 'rb').read()
streams['bare4'] = open(os.path.join(fix, 'bare_biff4.xls'), 'rb').read()
for name, data in streams.items():
    for opt in (0x00, 0x01, 0x02, 0x03, 0x8B):
        bare = 0x10 if name == 'bare4' else 0
        with open(os.path.join(biff, '%s_%02x' % (name, opt | bare)), 'wb') as f:
            f.write(bytes([opt | bare]) + data)
samples = {
    'latin': struct.pack('<HB', 3, 0) + b'abc',
    'utf16': struct.pack('<HB', 2, 1) + '日本'.encode('utf-16-le'),
    'continued': struct.pack('<HB', 4, 0) + b'ab' + b'\x3c\x00\x20\x20\x01' + '日本'.encode('utf-16-le'),
    'rich': struct.pack('<HBHI', 2, 0x0C, 1, 2) + b'xyRRRREE',
    'format': b'"\\"#,##0.00_);[Red]yyyy/m/d h:mm 0.0%',
}
for name, data in samples.items():
    with open(os.path.join(strings, name), 'wb') as f:
        f.write(data)
