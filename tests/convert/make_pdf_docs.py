#!/usr/bin/python3
# Writes the PDF test files into OUTDIR with reportlab, and the flat-ODF
# sources that LibreOffice turns into Japanese PDFs (make_pdf_fixtures.sh).
# Every page's text is known here, so the tests can check line by line.
#
# usage: make_pdf_docs.py OUTDIR
import io
import os
import struct
import sys
import zlib

from reportlab.lib.pagesizes import A4
from reportlab.pdfbase import pdfmetrics
from reportlab.pdfbase.cidfonts import UnicodeCIDFont
from reportlab.pdfgen import canvas

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def path(name):
    return os.path.join(out, name)


def lines_pdf(name, lines, font='Helvetica', size=12, pages=1, rotate=0, compress=1):
    c = canvas.Canvas(path(name), pagesize=A4, pageCompression=compress)
    for p in range(pages):
        if rotate:
            c.setPageRotation(rotate)
        c.setFont(font, size)
        y = 800
        for text in lines:
            c.drawString(72, y, text if pages == 1 else '%s %d' % (text, p + 1))
            y -= 40
        c.showPage()
    c.save()


# Three lines of Helvetica at known heights.
lines_pdf('three_lines.pdf', ['First line of text', 'Second line here', 'Third and last line'])
# Uncompressed content, for the operator tests.
lines_pdf('plain_stream.pdf', ['Alpha beta gamma', 'Delta epsilon'], compress=0)
# Two pages.
lines_pdf('two_pages.pdf', ['Page text line', 'Another line'], pages=2)
# A rotated page.
lines_pdf('rotated.pdf', ['Rotated page words'], rotate=90)
# WinAnsi accented letters.
lines_pdf('winansi.pdf', ['Caf\u00e9 na\u00efve r\u00e9sum\u00e9', 'plain ascii'])

# Character and word spacing, and TJ arrays.
c = canvas.Canvas(path('spacing.pdf'), pagesize=A4, pageCompression=0)
t = c.beginText(72, 800)
t.setFont('Helvetica', 12)
t.setCharSpace(2)
t.textLine('Spaced letters here')
t.setCharSpace(0)
t.setWordSpace(8)
t.textLine('Wide word gaps now')
t.setWordSpace(0)
c.drawText(t)
c.setFont('Helvetica', 12)
# A hand-written TJ line with kerning and one large gap.
c._code.append('BT /F1 12 Tf 72 700 Td [(Ker) 120 (ning) -600 (gap) -40 (words)] TJ ET')
c.showPage()
c.save()

# Japanese through a CID font: horizontal and vertical.
pdfmetrics.registerFont(UnicodeCIDFont('HeiseiMin-W3'))
c = canvas.Canvas(path('cid_h.pdf'), pagesize=A4)
c.setFont('HeiseiMin-W3', 12)
c.drawString(72, 800, '日本語のテキスト')
c.drawString(72, 760, '記号 \u2208\u2282\u226a\u221a です')
c.drawString(72, 720, 'カタカナ ひらがな')
c.showPage()
c.save()
# The vertical face has the same name: registered after the horizontal file.
pdfmetrics.registerFont(UnicodeCIDFont('HeiseiMin-W3', isVertical=True))
c = canvas.Canvas(path('cid_v.pdf'), pagesize=A4)
c.setFont('HeiseiMin-W3', 12)
c.drawString(300, 800, 'データーの縦書き')
c.showPage()
c.save()


# A JPEG picture (a small grey image made by hand) and its marker, one
# drawn upright and one mirrored top to bottom.
def tiny_jpeg():
    # A 16 x 16 baseline grey JPEG, written with Pillow when it is there,
    # else reportlab's own test image.
    try:
        from PIL import Image
        im = Image.new('L', (16, 16), 128)
        b = io.BytesIO()
        im.save(b, 'JPEG')
        return b.getvalue()
    except Exception:
        return None


jpg = tiny_jpeg()
if jpg:
    with open(path('pic.jpg'), 'wb') as f:
        f.write(jpg)
    c = canvas.Canvas(path('jpeg.pdf'), pagesize=A4)
    c.setFont('Helvetica', 12)
    c.drawString(72, 800, 'Picture below')
    c.drawImage(path('pic.jpg'), 72, 600, 100, 100)
    c.saveState()
    c.translate(300, 500)
    c.scale(1, -1)
    c.drawImage(path('pic.jpg'), 0, 0, 100, 100)
    c.restoreState()
    c.showPage()
    c.save()

# Vector drawing only.
c = canvas.Canvas(path('drawing.pdf'), pagesize=A4)
c.rect(100, 100, 200, 200)
c.line(50, 50, 400, 400)
c.showPage()
c.save()

# Word gaps that the spacing commands widen and tighten.
c = canvas.Canvas(path('gaps.pdf'), pagesize=A4)
c.setFont('Helvetica', 10)
c.drawString(72, 800, 'a b c d e f g h i j k l m n o p')
c.showPage()
c.save()


# The flat-ODF sources of the LibreOffice-made Japanese PDFs.
FODT = '''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:font-face-decls>
 <style:font-face style:name="IPAexMincho" svg:font-family="IPAexMincho"
   xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"/>
</office:font-face-decls>
<office:styles>
 <style:default-style style:family="paragraph">
  <style:text-properties style:font-name="IPAexMincho" style:font-name-asian="IPAexMincho" fo:font-size="12pt"
    style:font-size-asian="12pt"/>
 </style:default-style>
</office:styles>
<office:body><office:text>
%s
</office:text></office:body></office:document>
'''

ja_lines = ['日本語の文書です。', '東京都千代田区', 'カタカナとひらがな', '数字 12345 と English words']
table = ('<table:table table:name="T"><table:table-column table:number-columns-repeated="2"/>'
         '<table:table-row><table:table-cell><text:p>品名</text:p></table:table-cell>'
         '<table:table-cell><text:p>価格</text:p></table:table-cell></table:table-row>'
         '<table:table-row><table:table-cell><text:p>りんご</text:p></table:table-cell>'
         '<table:table-cell><text:p>120</text:p></table:table-cell></table:table-row>'
         '</table:table>')
with open(path('lo_japanese.fodt'), 'w', encoding='utf-8') as f:
    f.write(FODT % ''.join('<text:p>%s</text:p>' % s for s in ja_lines))
with open(path('lo_table.fodt'), 'w', encoding='utf-8') as f:
    f.write(FODT % ('<text:p>表の前の行</text:p>' + table + '<text:p>表の後の行</text:p>'))
