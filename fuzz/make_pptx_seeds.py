#!/usr/bin/python3
"""Writes the seed corpus of the "pptx" fuzz target: one byte of options,
then the parts parted by "\\n|\\n" in the target's order (master, layout 1,
slides 1-3, slide 1's relationships, a media file).

usage: make_pptx_seeds.py REPO_DIR [PPTX...]

Each PPTX given (a LibreOffice-made presentation) adds one seed of its own
parts."""
import os
import sys
import zipfile

SEP = b'\n|\n'
NAMES = ['ppt/slideMasters/slideMaster1.xml', 'ppt/slideLayouts/slideLayout1.xml', 'ppt/slides/slide1.xml',
         'ppt/slides/slide2.xml', 'ppt/slides/slide3.xml', 'ppt/slides/_rels/slide1.xml.rels',
         'ppt/media/image1.png']


def slide(shapes):
    return ('<p:sld><p:cSld><p:spTree><p:grpSpPr/>%s</p:spTree></p:cSld></p:sld>' % shapes).encode()


def xfrm(x, y, cx, cy):
    return '<a:xfrm><a:off x="%d" y="%d"/><a:ext cx="%d" cy="%d"/></a:xfrm>' % (x, y, cx, cy)


def box(name, ph, xf, paras, algn=''):
    pp = '<a:pPr algn="%s"/>' % algn if algn else ''
    body = ''.join('<a:p>%s<a:r><a:t>%s</a:t></a:r></a:p>' % (pp, p) for p in paras)
    return ('<p:sp><p:nvSpPr><p:cNvPr id="2" name="%s"/><p:nvPr>%s</p:nvPr></p:nvSpPr><p:spPr>%s</p:spPr>'
            '<p:txBody>%s</p:txBody></p:sp>' % (name, ph, xf, body))


def table(x, y, cx, widths, rows):
    s = ('<p:graphicFrame><p:xfrm><a:off x="%d" y="%d"/><a:ext cx="%d" cy="9"/></p:xfrm><a:tbl><a:tblGrid>'
         % (x, y, cx))
    s += ''.join('<a:gridCol w="%d"/>' % w for w in widths) + '</a:tblGrid>'
    for r in rows:
        s += '<a:tr>' + ''.join('<a:tc><a:txBody><a:p><a:r><a:t>%s</a:t></a:r></a:p></a:txBody><a:tcPr/></a:tc>'
                                % c for c in r) + '</a:tr>'
    return s + '</a:tbl></p:graphicFrame>'


PIC = ('<p:pic><p:nvPicPr><p:cNvPr id="4" name="Picture 3"/></p:nvPicPr><p:blipFill><a:blip r:embed="rId2"/>'
       '</p:blipFill><p:spPr>' + xfrm(800000, 1600000, 800000, 400000) + '</p:spPr></p:pic>')
RELS = (b'<Relationships><Relationship Id="rId2" Type="image" Target="../media/image1.png"/>'
        b'<Relationship Id="rId3" Target="../media/x.jpg"/></Relationships>')
MASTER = slide(box('Title 1', '<p:ph type="title"/>', xfrm(457200, 274638, 8229600, 1143000), []) +
               box('Rectangle 3', '<p:ph type="body"/>', xfrm(457200, 1600200, 8229600, 4525963), []))
LAYOUT = slide(box('Subtitle 2', '<p:ph type="subTitle"/>', xfrm(1371600, 3886200, 6400800, 1752600), []))


def seed(options, parts):
    return bytes([options]) + SEP.join(parts)


def main():
    repo = sys.argv[1]
    out = os.path.join(repo, 'fuzz', 'corpus', 'pptx')
    os.makedirs(out, exist_ok=True)
    s1 = slide(box('Title 1', '<p:ph type="title"/>', '', ['Title &amp; more']) +
               box('Rectangle 5', '', xfrm(800000, 1600000, 3200000, 400000), ['right', 'two'], 'r') + PIC)
    s2 = slide(table(1000000, 800000, 2400000, [800000] * 3, [['a', 'b', 'c'], ['long cell text', '', 'z']]) +
               table(200000, 0, 9000000, [480000] * 5, [['1', '2', '3', '4', 'five', 'sixth cell']]))
    s3 = slide('<p:grpSp><p:grpSpPr>' + xfrm(0, 0, 9000000, 900000) + '</p:grpSpPr>' +
               box('Rectangle 7', '', xfrm(1000, 1000, 2000, 500), ['grouped\tTAB']) + '</p:grpSp>')
    off = slide(box('TextBox 1', '', xfrm(-2000000, -2000000, 3200000, 400000), ['above']) +
                box('TextBox 2', '', xfrm(90000000, 400000, 3200000, 400000), ['right of the slide']))
    tall = slide(table(0, 2000000000, 1600000, [800000, 800000], [['r', 'c']] * 300))
    seeds = {
        'crafted-basic': seed(0, [MASTER, LAYOUT, s1, s2, s3, RELS, b'png']),
        'crafted-units': seed(1, [MASTER, LAYOUT, s1, s2, s3, RELS, b'png']),
        'crafted-offslide': seed(0, [b'', b'', off, tall, s1, RELS, b'png']),
        'crafted-cut': seed(2, [MASTER, LAYOUT, s1[:len(s1) // 2], s2, b'', RELS, b'png']),
    }
    for i, path in enumerate(sys.argv[2:]):
        z = zipfile.ZipFile(path)
        parts = [z.read(n) if n in z.namelist() else b'' for n in NAMES]
        seeds['made-%d' % i] = seed(0, parts)
    for name, data in seeds.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
