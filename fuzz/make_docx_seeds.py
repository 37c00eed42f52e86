"""Writes the seeds of the docx target: the option byte, a document part and
its relationships, from python-docx documents (paragraphs, a table with a
nested table, a picture, page breaks) and hand-written parts (frames, VML
shapes, text boxes, a part cut inside an element).

usage: make_docx_seeds.py REPO_DIR"""
import io
import os
import sys
import zipfile

repo = sys.argv[1]
out = os.path.join(repo, 'fuzz', 'corpus', 'docx')
os.makedirs(out, exist_ok=True)


def seed(name, options, document, rels=b''):
    with open(os.path.join(out, name), 'wb') as f:
        f.write(bytes([options]) + document + (b'\n|\n' + rels if rels else b''))


import docx
from docx.shared import Inches
d = docx.Document()
d.add_heading('見出し', 0)
d.add_paragraph('本文の段落 with a&b <tag>')
t = d.add_table(rows=2, cols=3)
t.cell(0, 0).text = 'a1'
t.cell(1, 2).text = 'セル'
t.cell(0, 1).add_table(rows=1, cols=2).cell(0, 0).text = 'inner'
d.add_page_break()
d.add_paragraph('second page\tafter tab')
from PIL import Image
png = io.BytesIO()
Image.new('RGB', (8, 8), (200, 30, 30)).save(png, 'PNG')
png.seek(0)
d.add_picture(png, width=Inches(1))
buf = io.BytesIO()
d.save(buf)
with zipfile.ZipFile(buf) as z:
    document = z.read('word/document.xml')
    rels = z.read('word/_rels/document.xml.rels')
seed('pydocx', 3, document, rels)
seed('pydocx-plain', 2, document, rels)
seed('pydocx-cut', 1, document[:len(document) * 2 // 3])

body = (b'<w:document><w:body>'
        b'<w:p><w:pPr><w:framePr w:x="2000" w:y="-4000" w:hAnchor="text" w:vAnchor="page"/></w:pPr>'
        b'<w:r><w:t>frame</w:t></w:r></w:p>'
        b'<w:p><w:r><w:pict><v:shape style="position:absolute;margin-left:-20pt;margin-top:-300pt;'
        b'width:200pt;height:80pt;mso-position-horizontal-relative:margin;mso-position-vertical-relative:text">'
        b'<v:textbox><w:txbxContent><w:p><w:r><w:t>vml box</w:t></w:r></w:p></w:txbxContent></v:textbox>'
        b'<v:imagedata r:id="rId7"/></v:shape></w:pict></w:r></w:p>'
        b'<w:p><w:r><w:drawing><wp:anchor><wp:positionH relativeFrom="column"><wp:posOffset>-900000</wp:posOffset>'
        b'</wp:positionH><wp:positionV relativeFrom="paragraph"><wp:posOffset>99999999</wp:posOffset></wp:positionV>'
        b'<wp:extent cx="9000000" cy="9000000"/><wps:wsp><wps:spPr><a:xfrm><a:off x="100" y="-200"/>'
        b'<a:ext cx="3000000" cy="400000"/></a:xfrm></wps:spPr><wps:txbx><w:txbxContent><w:tbl><w:tr><w:tc>'
        b'<w:tcPr><w:tcW w:w="9000"/></w:tcPr><w:p><w:r><w:t>box cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>'
        b'</w:txbxContent></wps:txbx></wps:wsp></wp:anchor></w:drawing></w:r></w:p>'
        b'<w:p><w:r><w:br/><w:t>x</w:t><w:lastRenderedPageBreak/></w:r></w:p>'
        b'<w:sectPr><w:pgSz w:w="60000"/><w:pgMar w:top="-9000" w:right="40000"/><w:cols w:num="3"/></w:sectPr>'
        b'</w:body></w:document>')
seed('crafted', 1, body, b'<Relationships><Relationship Id="rId7" Type="x/image" Target="media/image1.png"/>'
     b'</Relationships>')
