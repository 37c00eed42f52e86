"""Writes the workbook fixtures into OUTDIR: xlwt workbooks (formats, RK
values, long strings, the 1904 system, an empty sheet), the flat-ODF source
of a LibreOffice-made workbook with a comment, a text box and a JPEG, a
BIFF5 workbook and a bare BIFF4 worksheet crafted byte by byte, and xlrd's
reading of every .xls as JSON (OUTDIR/<name>.xlrd.json)."""
import base64
import datetime
import io
import json
import os
import struct
import sys

import xlwt

out = sys.argv[1]


def formats_book():
    wb = xlwt.Workbook(encoding='utf-8')
    s1 = wb.add_sheet('売上')
    s1.write(0, 0, '品名')
    s1.write(0, 1, 'value')
    cases = [
        (1234.5, '0.00'), (12345678.9, '#,##0'), (123456789.12, '"¥"#,##0'), (0.125, '0.0%'),
        (datetime.date(2024, 1, 5), 'yyyy/m/d'), (0.5, 'h:mm'), (12.345, 'General'),
    ]
    for i, (v, f) in enumerate(cases):
        s1.write(i + 1, 0, f)
        s1.write(i + 1, 1, v, xlwt.easyxf(num_format_str=f))
    s2 = wb.add_sheet('経費')
    for i, v in enumerate([-1.5, 12, 1000000000, 0.25, -150 / 100.0, 3.14159]):
        s2.write(i, 0, v)
        s2.write(i, 2, 'row%d' % i)
    s3 = wb.add_sheet('メモ')
    for i in range(6):
        s3.write(i, 0, ('L%d' % i) + 'x' * 2000)
        s3.write(i, 1, ('日本語%d' % i) + 'あ' * 1000)
    s3.write(7, 0, 'tab\there')
    wb.save(os.path.join(out, 'xls_formats.xls'))


def book_1904():
    wb = xlwt.Workbook()
    wb.dates_1904 = True
    s = wb.add_sheet('d1904')
    s.write(0, 0, datetime.date(2024, 1, 5), xlwt.easyxf(num_format_str='yyyy/m/d'))
    s.write(1, 0, 7)
    wb.save(os.path.join(out, 'xls_1904.xls'))


def empty_book():
    wb = xlwt.Workbook()
    wb.add_sheet('empty')
    wb.save(os.path.join(out, 'xls_empty.xls'))


def jpeg_bytes():
    from PIL import Image
    im = Image.new('RGB', (16, 8), (200, 40, 40))
    b = io.BytesIO()
    im.save(b, 'JPEG', quality=80)
    return b.getvalue()


def objects_fods():
    jpg = jpeg_bytes()
    with open(os.path.join(out, 'xls_objects.jpg'), 'wb') as f:
        f.write(jpg)
    img = base64.b64encode(jpg).decode('ascii')
    doc = f'''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:dc="http://purl.org/dc/elements/1.1/"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet>
<table:table table:name="図">
<table:table-row><table:table-cell office:value-type="string"><text:p>head</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell/><table:table-cell office:value-type="float" office:value="42"><text:p>42</text:p>
<office:annotation><dc:creator>t</dc:creator><text:p>comment note</text:p></office:annotation></table:table-cell></table:table-row>
<table:table-row><table:table-cell/><table:table-cell/><table:table-cell/>
<table:table-cell><draw:frame table:end-cell-address="'図'.F5" draw:z-index="1" svg:width="3cm" svg:height="1cm" svg:x="0cm" svg:y="0cm">
<draw:text-box><text:p>boxtext</text:p></draw:text-box></draw:frame></table:table-cell></table:table-row>
<table:table-row><table:table-cell office:value-type="float" office:value="7"><text:p>7</text:p></table:table-cell></table:table-row>
<table:table-row table:number-rows-repeated="2"><table:table-cell/></table:table-row>
<table:table-row><table:table-cell/><table:table-cell><draw:frame table:end-cell-address="'図'.C8" draw:z-index="2" svg:width="2cm" svg:height="1cm" svg:x="0cm" svg:y="0cm">
<draw:image><office:binary-data>{img}</office:binary-data></draw:image></draw:frame></table:table-cell></table:table-row>
<table:table-row table:number-rows-repeated="4"><table:table-cell/></table:table-row>
<table:table-row><table:table-cell office:value-type="string"><text:p>end</text:p></table:table-cell></table:table-row>
</table:table>
</office:spreadsheet></office:body></office:document>
'''
    with open(os.path.join(out, 'xls_objects.fods'), 'w', encoding='utf-8') as f:
        f.write(doc)


def rec(t, data):
    return struct.pack('<HH', t, len(data)) + data


def biff5_stream():
    """A BIFF5 workbook stream: globals with two sheet records, two sheets."""
    glob = rec(0x0809, struct.pack('<HHHH', 0x0500, 0x0005, 0, 0))
    sheets = []
    for name, cells in (('First', [(0, 0, b'alpha'), (1, 1, 3.5)]), ('Second', [(2, 0, b'beta')])):
        body = rec(0x0809, struct.pack('<HHHH', 0x0500, 0x0010, 0, 0))
        for r, c, v in cells:
            if isinstance(v, bytes):
                body += rec(0x0204, struct.pack('<HHHH', r, c, 15, len(v)) + v)
            else:
                body += rec(0x0203, struct.pack('<HHHd', r, c, 15, v))
        body += rec(0x000A, b'')
        sheets.append((name, body))
    names = b''
    pos = 0
    for name, body in sheets:
        names += rec(0x0085, struct.pack('<IHB', 0, 0, len(name)) + name.encode('ascii'))
    stream = glob + names + rec(0x000A, b'')
    for _, body in sheets:
        stream += body
    return stream


def bare_biff4():
    s = rec(0x0409, struct.pack('<HHH', 0, 0x0010, 0))
    s += rec(0x0204, struct.pack('<HHHH', 0, 0, 0, 4) + b'bare')
    s += rec(0x0203, struct.pack('<HHHd', 1, 0, 0, 2.25))
    s += rec(0x000A, b'')
    return s


def crafted():
    with open(os.path.join(out, 'biff5_stream.bin'), 'wb') as f:
        f.write(biff5_stream())
    with open(os.path.join(out, 'bare_biff4.xls'), 'wb') as f:
        f.write(bare_biff4())


def xlrd_dump(name):
    import xlrd
    book = xlrd.open_workbook(os.path.join(out, name), formatting_info=False)
    sheets = []
    for s in book.sheets():
        cells = []
        for r in range(s.nrows):
            for c in range(s.ncols):
                cell = s.cell(r, c)
                if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    continue
                d = {'r': r, 'c': c, 't': cell.ctype, 'v': cell.value}
                if cell.ctype == xlrd.XL_CELL_DATE:
                    d['date'] = list(xlrd.xldate_as_tuple(cell.value, book.datemode))
                cells.append(d)
        sheets.append({'name': s.name, 'cells': cells})
    with open(os.path.join(out, name + '.xlrd.json'), 'w', encoding='utf-8') as f:
        json.dump(sheets, f, ensure_ascii=False)


if __name__ == '__main__':
    if len(sys.argv) > 2 and sys.argv[2] == 'xlrd':
        for n in sys.argv[3:]:
            xlrd_dump(n)
        sys.exit(0)
    formats_book()
    book_1904()
    empty_book()
    objects_fods()
    crafted()
    for n in ('xls_formats.xls', 'xls_1904.xls'):
        xlrd_dump(n)
