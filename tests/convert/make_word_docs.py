#!/usr/bin/python3
"""Writes the flat-ODF sources of the Word fixtures into a folder.

usage: make_word_docs.py OUTDIR

  word_small.fodt  paragraphs, Japanese text, a page-number field, a JPEG
                   picture stored as binary data, and a table of two cells
                   (1440 and 2880 twips) whose first cell holds more than 16
                   characters
  word_ascii.fodt  ASCII paragraphs only (rewritten as a compressed piece)
  word_large.fodt  about 300 pages of numbered ASCII paragraphs
  pic.jpg          the JPEG embedded in word_small (the bytes it must give back)
  japanese.txt     the Japanese lines of word_small, UTF-8, one a line
"""
import base64
import os
import struct
import sys
import zlib

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
          ' <style:style style:name="Tbl" style:family="table">'
          '<style:table-properties style:width="3in" table:align="left"/></style:style>\n'
          ' <style:style style:name="Tbl.A" style:family="table-column">'
          '<style:table-column-properties style:column-width="1in"/></style:style>\n'
          ' <style:style style:name="Tbl.B" style:family="table-column">'
          '<style:table-column-properties style:column-width="2in"/></style:style>\n'
          '</office:automatic-styles>\n')


def small_jpeg():
    """A tiny baseline JPEG made by hand-free means: Pillow when present,
    else ImageMagick's convert (both are test tools)."""
    try:
        from PIL import Image
        import io
        buf = io.BytesIO()
        Image.new('RGB', (40, 30), (200, 30, 30)).save(buf, 'JPEG', quality=90)
        return buf.getvalue()
    except ImportError:
        import subprocess
        return subprocess.run(['convert', '-size', '40x30', 'xc:#c81e1e', 'jpg:-'],
                              check=True, capture_output=True).stdout


def doc(body, styles=''):
    return HEAD + styles + '<office:body><office:text>\n' + body + '</office:text></office:body></office:document>\n'


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    jpg = small_jpeg()
    with open(os.path.join(out, 'pic.jpg'), 'wb') as f:
        f.write(jpg)
    b64 = base64.b64encode(jpg).decode()
    japanese = ['日本語のテキストです。', 'かなカナ漢字と全角ＡＢＣ']
    with open(os.path.join(out, 'japanese.txt'), 'w', encoding='utf-8') as f:
        f.write('\n'.join(japanese) + '\n')
    small = (
        '<text:p>Hello world paragraph one.</text:p>\n'
        '<text:p>' + japanese[0] + '</text:p>\n'
        '<text:p>' + japanese[1] + '</text:p>\n'
        '<text:p>Page <text:page-number text:select-page="current">1</text:page-number> here</text:p>\n'
        '<text:p><draw:frame draw:name="img1" text:anchor-type="as-char" svg:width="1in" svg:height="0.75in">'
        '<draw:image><office:binary-data>' + b64 + '</office:binary-data></draw:image></draw:frame>'
        ' after picture</text:p>\n'
        '<table:table table:name="T1" table:style-name="Tbl">'
        '<table:table-column table:style-name="Tbl.A"/><table:table-column table:style-name="Tbl.B"/>\n'
        '<table:table-row><table:table-cell><text:p>first cell text longer than sixteen</text:p></table:table-cell>'
        '<table:table-cell><text:p>second</text:p></table:table-cell></table:table-row>\n'
        '</table:table>\n'
        '<text:p>Last paragraph.</text:p>\n')
    with open(os.path.join(out, 'word_small.fodt'), 'w', encoding='utf-8') as f:
        f.write(doc(small, STYLES))
    ascii_body = ''.join('<text:p>Plain line %d of the ASCII document.</text:p>\n' % i for i in range(1, 9))
    with open(os.path.join(out, 'word_ascii.fodt'), 'w', encoding='utf-8') as f:
        f.write(doc(ascii_body))
    words = ('alpha bravo charlie delta echo foxtrot golf hotel india juliet kilo lima mike '
             'november oscar papa quebec romeo sierra tango uniform victor whiskey xray').split()
    paras = []
    for i in range(1, 9001):
        w = ' '.join(words[(i + k) % len(words)] for k in range(12))
        paras.append('<text:p>Paragraph %d %s.</text:p>\n' % (i, w))
    with open(os.path.join(out, 'word_large.fodt'), 'w', encoding='utf-8') as f:
        f.write(doc(''.join(paras)))


if __name__ == '__main__':
    main()
