"""Writes the seeds of the package targets: the parts of a small workbook,
presentation and document that openpyxl and hand-written XML give, for
fuzz/corpus/ooxml_part/ as they are and for fuzz/corpus/ooxml_tag/ behind a
mode, a pattern and a start.

usage: make_ooxml_seeds.py REPO_DIR"""
import io
import os
import sys
import zipfile

repo = sys.argv[1]
part_dir = os.path.join(repo, 'fuzz', 'corpus', 'ooxml_part')
tag_dir = os.path.join(repo, 'fuzz', 'corpus', 'ooxml_tag')
os.makedirs(part_dir, exist_ok=True)
os.makedirs(tag_dir, exist_ok=True)

parts = {}
try:
    import openpyxl
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = '売上'
    ws['A1'] = '日本語のテキスト'
    ws['B2'] = 1234567.891
    ws['B2'].number_format = '#,##0.00'
    ws['C3'] = 0.125
    ws['C3'].number_format = '0.0%'
    ws['D4'] = 45292
    ws['D4'].number_format = '[$-411]ggge"年"m"月"d"日"'
    ws['E5'] = '=SUM(B2:C3)'
    ws.column_dimensions['B'].width = 30
    ws.column_dimensions['C'].hidden = True
    wb.create_sheet('Sheet2')['A1'] = 'x'
    buf = io.BytesIO()
    wb.save(buf)
    with zipfile.ZipFile(buf) as z:
        for n in z.namelist():
            if n.endswith('.xml') or n.endswith('.rels'):
                parts['xlsx_' + n.replace('/', '_')] = z.read(n)
except ImportError:
    pass

parts.update({
    'sst_rich': '<sst><si><r><t>前半</t></r><r><t xml:space="preserve"> 後半</t></r>'
                '<rPh sb="0" eb="2"><t>ゼンハン</t></rPh></si><si><t>a&amp;b&lt;c&quot;</t></si></sst>'.encode(),
    'sjis_decl': '<?xml version="1.0" encoding="Shift_JIS"?><a>表示</a>'.encode('cp932'),
    'utf_edges': b'<a>\xc0\x80\xed\xa0\x80\xf0\x9f\x98\x80\xe2\x82\xac\xc2\xa5\x00</a>\xe6\x97',
    'drawing': b'<xdr:wsDr><xdr:twoCellAnchor><xdr:from><xdr:col>2</xdr:col><xdr:row>4</xdr:row></xdr:from>'
               b'<xdr:to><xdr:col>5</xdr:col><xdr:row>9</xdr:row></xdr:to><xdr:pic><a:blip r:embed="rId1"/>'
               b'</xdr:pic></xdr:twoCellAnchor><xdr:absoluteAnchor><xdr:pos x="914400" y="-5"/></xdr:absoluteAnchor>'
               b'</xdr:wsDr>',
    'vml': b'<v:shape id="_x0000_s1025" style="width:2in;height:1.5in;margin-left:\\<5pt"><v:imagedata o:relid="rId1"/>'
           b'</v:shape>',
    'docx': b'<w:document><w:body><w:p><w:r><w:t>a&lt;b</w:t></w:r></w:p><w:sectPr><w:pgSz w:w="11906"/>'
            b'</w:sectPr></w:body></w:document>',
})
for name, data in parts.items():
    with open(os.path.join(part_dir, name), 'wb') as f:
        f.write(data)

probes = [
    (0, b'r="', 'xlsx_xl_worksheets_sheet1.xml'),
    (1, b'r="', 'xlsx_xl_worksheets_sheet1.xml'),
    (2, b'formatCode="', 'xlsx_xl_styles.xml'),
    (29, b'<numFmt ', 'xlsx_xl_styles.xml'),
    (7, b'Target="', 'xlsx_xl__rels_workbook.xml.rels'),
    (20, b'Id="rId', 'xlsx_xl__rels_workbook.xml.rels'),
    (18, b'<xdr:col>', 'drawing'),
    (10, b'x="', 'drawing'),
    (0, b'width:', 'vml'),
    (9, b'zz', 'vml'),
    (28, b'</w:t', 'docx'),
]
for i, (mode, pattern, part) in enumerate(probes):
    data = parts.get(part)
    if data is None:
        continue
    for start in (0, 1, 40):
        with open(os.path.join(tag_dir, 'probe%02d_%d' % (i, start)), 'wb') as f:
            f.write(bytes([mode, len(pattern)]) + pattern + bytes([start]) + data)
