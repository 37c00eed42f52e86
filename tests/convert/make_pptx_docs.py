#!/usr/bin/python3
"""Writes the flat-ODF presentation of the ".pptx" fixtures into a folder.

usage: make_pptx_docs.py OUTDIR

  pptx_slides.fodp  three slides: a title and a subtitle; a title, a body
                    with Japanese text and a group of two text boxes; a
                    title, a PNG picture and a table of three columns
"""
import os
import sys
import zlib
import struct

HEAD = ('<?xml version="1.0" encoding="UTF-8"?>\n'
        '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
        ' xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"'
        ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
        ' xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"'
        ' xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"'
        ' xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"'
        ' xmlns:xlink="http://www.w3.org/1999/xlink"'
        ' xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"'
        ' xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"'
        ' office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.presentation">\n'
        '<office:styles/>\n'
        '<office:automatic-styles>\n'
        ' <style:page-layout style:name="PM1"><style:page-layout-properties fo:margin-top="0in"'
        ' fo:margin-bottom="0in" fo:margin-left="0in" fo:margin-right="0in" fo:page-width="10in"'
        ' fo:page-height="7.5in" style:print-orientation="landscape"/></style:page-layout>\n'
        ' <style:style style:name="gr1" style:family="graphic"><style:graphic-properties'
        ' draw:stroke="none" draw:fill="none" draw:textarea-vertical-align="top"'
        ' draw:auto-grow-height="false" fo:min-height="0in"/></style:style>\n'
        ' <style:style style:name="P1" style:family="paragraph"><style:text-properties'
        ' fo:font-size="18pt"/></style:style>\n'
        '</office:automatic-styles>\n'
        '<office:master-styles><style:master-page style:name="Default" style:page-layout-name="PM1"/>'
        '</office:master-styles>\n'
        '<office:body><office:presentation>\n')
TAIL = '</office:presentation></office:body></office:document>\n'


def png():
    """A 4 x 4 grey PNG."""
    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))
    raw = b''.join(b'\x00' + b'\x80' * 4 for _ in range(4))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 4, 4, 8, 0, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))


def paras(lines):
    return ''.join('<text:p text:style-name="P1">%s</text:p>' % l for l in lines)


def frame(cls, x, y, w, h, lines):
    kind = ' presentation:class="%s"' % cls if cls else ''
    return ('<draw:frame draw:style-name="gr1"%s svg:x="%.3fin" svg:y="%.3fin" svg:width="%.3fin"'
            ' svg:height="%.3fin"><draw:text-box>%s</draw:text-box></draw:frame>\n'
            % (kind, x, y, w, h, paras(lines)))


def table(x, y, rows):
    cols = len(rows[0])
    s = ('<draw:frame svg:x="%.3fin" svg:y="%.3fin" svg:width="%.3fin" svg:height="%.3fin">'
         '<table:table>' % (x, y, 2.0 * cols, 0.5 * len(rows)))
    s += '<table:table-column/>' * cols
    for r in rows:
        s += '<table:table-row>' + ''.join(
            '<table:table-cell><text:p>%s</text:p></table:table-cell>' % c for c in r) + '</table:table-row>'
    return s + '</table:table></draw:frame>\n'


def page(name, body):
    return '<draw:page draw:name="%s" draw:master-page-name="Default">\n%s</draw:page>\n' % (name, body)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    import base64
    pic = ('<draw:frame draw:style-name="gr1" svg:x="7in" svg:y="1.5in" svg:width="2in" svg:height="1.5in">'
           '<draw:image><office:binary-data>%s</office:binary-data></draw:image></draw:frame>\n'
           % base64.b64encode(png()).decode())
    group = ('<draw:g>' + frame('', 1, 5, 3, 0.6, ['GroupLeft gamma']) +
             frame('', 5, 5, 3, 0.6, ['GroupRight delta']) + '</draw:g>\n')
    slides = (page('s1', frame('title', 1, 0.5, 8, 1, ['最初の題 Opening']) +
                   frame('subtitle', 1, 2.5, 8, 1, ['副題の文 subtitle words'])) +
              page('s2', frame('title', 1, 0.5, 8, 1, ['二番目 Second']) +
                   frame('outline', 1, 2, 8, 2, ['本文の一行目 alpha beta', '日本語の二行目 omega']) + group) +
              page('s3', frame('title', 1, 0.3, 6, 1, ['三番目 Third']) + pic +
                   table(0.5, 4, [['見出し head', 'Col2', 'Col3'], ['セル cell', 'x1', 'y1']])))
    with open(os.path.join(out, 'pptx_slides.fodp'), 'w', encoding='utf-8') as f:
        f.write(HEAD + slides + TAIL)


if __name__ == '__main__':
    main()
