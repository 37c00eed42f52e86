#!/usr/bin/python3
# Writes the two PDFs of the PDF benchmark into OUTDIR: a 500-page reportlab
# file of Flate-compressed Helvetica text, and the flat-ODF source of a
# 200-page Japanese document that LibreOffice turns into a PDF (Identity-H
# fonts with ToUnicode maps).
#
# usage: make_pdf_bench.py OUTDIR
import os
import sys

from reportlab.lib.pagesizes import A4
from reportlab.pdfgen import canvas

out = sys.argv[1]
os.makedirs(out, exist_ok=True)

c = canvas.Canvas(os.path.join(out, 'text500.pdf'), pagesize=A4, pageCompression=1)
for p in range(500):
    c.setFont('Helvetica', 11)
    y = 800
    for k in range(45):
        c.drawString(60, y, 'Page %d line %d: the quick brown fox jumps over the lazy dog %d' % (p + 1, k + 1, p * k))
        y -= 16
    c.showPage()
c.save()

words = ['日本語の文書です。', '東京都千代田区の地図', 'カタカナとひらがなの行', '数字 12345 と English words']
paras = []
for p in range(200):
    for k in range(30):
        paras.append('<text:p>%d-%d %s</text:p>' % (p + 1, k + 1, words[(p + k) % 4]))
    paras.append('<text:p text:style-name="Break"/>')
fodt = '''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:font-face-decls>
 <style:font-face style:name="IPAexMincho" svg:font-family="IPAexMincho"/>
</office:font-face-decls>
<office:styles>
 <style:default-style style:family="paragraph">
  <style:text-properties style:font-name="IPAexMincho" style:font-name-asian="IPAexMincho" fo:font-size="11pt"
    style:font-size-asian="11pt"/>
 </style:default-style>
 <style:style style:name="Break" style:family="paragraph">
  <style:paragraph-properties fo:break-after="page"/>
 </style:style>
</office:styles>
<office:body><office:text>
%s
</office:text></office:body></office:document>
''' % ''.join(paras)
with open(os.path.join(out, 'japanese200.fodt'), 'w', encoding='utf-8') as f:
    f.write(fodt)
