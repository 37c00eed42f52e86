#!/usr/bin/python3
"""Writes the sources of the ".docx" page fixtures into a folder.

usage: make_docx_docs.py OUTDIR

  docx_pydocx.docx   python-docx: a heading, Japanese and ASCII paragraphs,
                     a table of three columns with a nested table, an inline
                     picture, a page break and more paragraphs
  docx_pages.docx    python-docx: 300 paragraphs over several pages
  docx_frames.fodt   flat ODF for LibreOffice: a frame, a text box, an
                     anchored picture, a two-column section and a table
"""
import base64
import io
import os
import sys

import docx
from docx.shared import Inches
from PIL import Image

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def png(size=(40, 30)):
    buf = io.BytesIO()
    Image.new('RGB', size, (30, 120, 200)).save(buf, 'PNG')
    buf.seek(0)
    return buf


d = docx.Document()
d.add_heading('Quarterly report', 0)
d.add_paragraph('日本語の段落です。売上は前年比で増えました。')
d.add_paragraph('An English paragraph with enough words to show how the page text is laid out.')
t = d.add_table(rows=2, cols=3)
for r, row in enumerate([('Name', 'Count', 'Note'), ('りんご', '12', 'red')]):
    for c, text in enumerate(row):
        t.cell(r, c).text = text
inner = t.cell(1, 2).add_table(rows=1, cols=2)
inner.cell(0, 0).text = 'nested'
inner.cell(0, 1).text = 'inside'
d.add_paragraph('After the table.')
d.add_picture(png(), width=Inches(1))
for i in range(20):
    d.add_paragraph('Filler line %d' % (i + 1))
d.add_page_break()
d.add_paragraph('Second page text')
d.save(os.path.join(out, 'docx_pydocx.docx'))

p = docx.Document()
for i in range(300):
    p.add_paragraph('Paragraph %d of the long document, with some words after it.' % (i + 1))
p.save(os.path.join(out, 'docx_pages.docx'))

HEAD = ('<?xml version="1.0" encoding="UTF-8"?>\n'
        '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
        ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
        ' xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"'
        ' xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"'
        ' xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"'
        ' xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"'
        ' xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"'
        ' xmlns:xlink="http://www.w3.org/1999/xlink"'
        ' office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">\n')
STYLES = ('<office:automatic-styles>\n'
          ' <style:style style:name="Sect" style:family="section"><style:section-properties>'
          '<style:columns fo:column-count="2" fo:column-gap="0.3in"/></style:section-properties></style:style>\n'
          ' <style:style style:name="Fr" style:family="graphic"><style:graphic-properties'
          ' style:vertical-pos="from-top" style:horizontal-pos="from-left"'
          ' style:vertical-rel="paragraph" style:horizontal-rel="paragraph"/></style:style>\n'
          '</office:automatic-styles>\n')
picture = base64.b64encode(png((30, 20)).getvalue()).decode()
body = (
    '<text:p>Opening paragraph before the shapes.</text:p>\n'
    '<text:p><draw:frame draw:style-name="Fr" draw:name="Frame1" text:anchor-type="paragraph"'
    ' svg:x="4in" svg:y="0.3in" svg:width="2.5in" draw:z-index="0">'
    '<draw:text-box fo:min-height="0.5in"><text:p>Framed words here</text:p></draw:text-box>'
    '</draw:frame>Paragraph holding the frame.</text:p>\n'
    '<text:p><draw:frame draw:style-name="Fr" draw:name="Image1" text:anchor-type="paragraph"'
    ' svg:x="3in" svg:y="0.1in" svg:width="0.6in" svg:height="0.4in" draw:z-index="1">'
    '<draw:image><office:binary-data>' + picture + '</office:binary-data></draw:image>'
    '</draw:frame>Paragraph holding the picture.</text:p>\n'
    '<text:section text:style-name="Sect" text:name="Columns">'
    '<text:p>Left column words go here.</text:p><text:p>More column text follows.</text:p>'
    '</text:section>\n'
    '<table:table table:name="T"><table:table-column table:number-columns-repeated="2"/>'
    '<table:table-row><table:table-cell><text:p>Alpha</text:p></table:table-cell>'
    '<table:table-cell><text:p>Beta</text:p></table:table-cell></table:table-row>'
    '<table:table-row><table:table-cell><text:p>ガンマ</text:p></table:table-cell>'
    '<table:table-cell><text:p>Delta</text:p></table:table-cell></table:table-row></table:table>\n'
    '<text:p>Closing paragraph.</text:p>\n')
with open(os.path.join(out, 'docx_frames.fodt'), 'w', encoding='utf-8') as f:
    f.write(HEAD + STYLES + '<office:body><office:text>\n' + body + '</office:text></office:body></office:document>\n')
