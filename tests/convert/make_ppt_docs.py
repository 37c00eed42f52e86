#!/usr/bin/python3
"""Writes the flat-ODF presentations of the PowerPoint fixtures into a folder.

usage: make_ppt_docs.py OUTDIR

  ppt_slides.fodp  three slides with Japanese titles, a note on slide 1, a
                   text with a line break on slide 2, a JPEG picture on
                   slide 3
  ppt_frames.fodp  two slides holding the same 10-character title, in a
                   frame 60 columns wide and 5 rows high, then 12 rows high
  pic.jpg          the JPEG of ppt_slides (the bytes it must give back)

The pages are 10 x 7.5 inches, so one column is 60 and one row 250 of the
file's units (576 a inch): a frame of 60 columns is 6.25 inches wide, one
of 5 rows 1250 units (2.170 inches) high.
"""
import base64
import os
import sys

HEAD = ('<?xml version="1.0" encoding="UTF-8"?>\n'
        '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
        ' xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"'
        ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
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
        ' draw:auto-grow-height="false" fo:min-height="0in" fo:padding-top="0in"'
        ' fo:padding-bottom="0in" fo:padding-left="0in" fo:padding-right="0in"/></style:style>\n'
        ' <style:style style:name="P1" style:family="paragraph"><style:text-properties'
        ' fo:font-size="18pt"/></style:style>\n'
        '</office:automatic-styles>\n'
        '<office:master-styles><style:master-page style:name="Default" style:page-layout-name="PM1"/>'
        '</office:master-styles>\n'
        '<office:body><office:presentation>\n')
TAIL = '</office:presentation></office:body></office:document>\n'


def small_jpeg():
    try:
        from PIL import Image
        import io
        buf = io.BytesIO()
        Image.new('RGB', (40, 30), (30, 90, 200)).save(buf, 'JPEG', quality=90)
        return buf.getvalue()
    except ImportError:
        import subprocess
        return subprocess.run(['convert', '-size', '40x30', 'xc:#1e5ac8', 'jpg:-'],
                              check=True, capture_output=True).stdout


def box(x, y, w, h, *paragraphs):
    """A text frame at (x, y) inches, w x h inches; each paragraph a list of
    lines joined by line breaks."""
    ps = ''
    for lines in paragraphs:
        ps += '<text:p text:style-name="P1">' + '<text:line-break/>'.join(lines) + '</text:p>'
    return ('<draw:frame draw:style-name="gr1" svg:x="%.4fin" svg:y="%.4fin" svg:width="%.4fin"'
            ' svg:height="%.4fin"><draw:text-box>%s</draw:text-box></draw:frame>\n' % (x, y, w, h, ps))


def page(name, body, note=None):
    s = '<draw:page draw:name="%s" draw:master-page-name="Default">\n%s' % (name, body)
    if note:
        s += ('<presentation:notes><draw:frame draw:style-name="gr1" svg:x="1in" svg:y="5in"'
              ' svg:width="6in" svg:height="2in"><draw:text-box><text:p>%s</text:p>'
              '</draw:text-box></draw:frame></presentation:notes>\n' % note)
    return s + '</draw:page>\n'


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    jpeg = small_jpeg()
    with open(os.path.join(out, 'pic.jpg'), 'wb') as f:
        f.write(jpeg)
    pic = ('<draw:frame draw:style-name="gr1" svg:x="5in" svg:y="3in" svg:width="2in" svg:height="1.5in">'
           '<draw:image><office:binary-data>%s</office:binary-data></draw:image></draw:frame>\n'
           % base64.b64encode(jpeg).decode())
    slides = (page('p1', box(1, 0.5, 8, 1, ['最初のスライド First']) +
                   box(1, 2, 8, 2, ['本文の一行目 alpha beta']), note='発表者のメモ noteword') +
              page('p2', box(1, 0.5, 8, 1, ['二番目の題 Second']) +
                   box(1, 2, 8, 3, ['上の行 upper', '下の行 lower'])) +
              page('p3', box(1, 0.5, 8, 1, ['三番目 Third']) + pic))
    with open(os.path.join(out, 'ppt_slides.fodp'), 'w', encoding='utf-8') as f:
        f.write(HEAD + slides + TAIL)
    # 60 columns of 60 units = 3600 units = 6.25 in; rows of 250 units.
    w = 3600 / 576.0
    frames = (page('f1', box(1, 1, w, 5 * 250 / 576.0, ['TitleWord0'])) +
              page('f2', box(1, 1, w, 12 * 250 / 576.0, ['TitleWord0'])))
    with open(os.path.join(out, 'ppt_frames.fodp'), 'w', encoding='utf-8') as f:
        f.write(HEAD + frames + TAIL)


if __name__ == '__main__':
    main()
