#!/usr/bin/python3
# Wraps a drawing part written by the export (stored bytes, UTF-8) into a
# one-sheet workbook with one picture, then judges it from outside:
# xmllint reads the drawing, openpyxl loads the workbook and finds the
# picture, LibreOffice converts it to ODS and its content.xml holds the
# expected shapes and texts, and pdftotext finds the text box's text in
# its PDF. Prints nothing when all holds, else what failed.
#   drawing_oracle.py <folder holding drawing1.xml> <expected shapes> <text>...
import os
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib


def png(width, height, rgb):
    raw = b"".join(b"\x00" + bytes(rgb) * width for _ in range(height))

    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


PARTS = {
    "[Content_Types].xml":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Default Extension="png" ContentType="image/png"/>'
        '<Override PartName="/xl/workbook.xml" '
        'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
        '<Override PartName="/xl/worksheets/sheet1.xml" '
        'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        '<Override PartName="/xl/drawings/drawing1.xml" '
        'ContentType="application/vnd.openxmlformats-officedocument.drawing+xml"/></Types>',
    "_rels/.rels":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
        'officeDocument" Target="xl/workbook.xml"/></Relationships>',
    "xl/workbook.xml":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
        'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
        '<sheets><sheet name="s" sheetId="1" r:id="rId1"/></sheets></workbook>',
    "xl/_rels/workbook.xml.rels":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
        'worksheet" Target="worksheets/sheet1.xml"/></Relationships>',
    "xl/worksheets/sheet1.xml":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
        'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
        '<sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>x</t></is></c></row></sheetData>'
        '<drawing r:id="rId2"/></worksheet>',
    "xl/worksheets/_rels/sheet1.xml.rels":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
        'drawing" Target="../drawings/drawing1.xml"/></Relationships>',
    "xl/drawings/_rels/drawing1.xml.rels":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1001" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
        'image" Target="../media/image1.png"/></Relationships>',
}


def main():
    folder, shapes = sys.argv[1], int(sys.argv[2])
    texts = sys.argv[3:]
    problems = []
    drawing = os.path.join(folder, "drawing1.xml")
    r = subprocess.run(["xmllint", "--noout", drawing], capture_output=True, text=True)
    if r.returncode != 0:
        problems.append("xmllint: " + r.stderr)
    book = os.path.join(folder, "book.xlsx")
    with zipfile.ZipFile(book, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in PARTS.items():
            z.writestr(name, text)
        with open(drawing, "rb") as f:
            z.writestr("xl/drawings/drawing1.xml", f.read())
        z.writestr("xl/media/image1.png", png(8, 6, (255, 0, 0)))
    import openpyxl
    ws = openpyxl.load_workbook(book).active
    if len(ws._images) != 1:
        problems.append("openpyxl pictures: %d" % len(ws._images))
    with tempfile.TemporaryDirectory() as out:
        env = dict(os.environ, HOME=out)
        subprocess.run(["soffice", "--headless", "-env:UserInstallation=file://" + out + "/profile",
                        "--convert-to", "ods", "--outdir", out, book],
                       capture_output=True, env=env, timeout=300)
        ods = os.path.join(out, "book.ods")
        if not os.path.exists(ods):
            problems.append("LibreOffice wrote no ODS")
        else:
            content = zipfile.ZipFile(ods).read("content.xml").decode("utf-8")
            found = (content.count("<draw:custom-shape") + content.count("<draw:line") +
                     content.count("<draw:rect") + content.count("<draw:ellipse"))
            if found != shapes:
                problems.append("LibreOffice shapes: %d, expected %d" % (found, shapes))
            if content.count("<draw:image") != 1:
                problems.append("LibreOffice images: %d" % content.count("<draw:image"))
            for t in texts:
                if t not in content:
                    problems.append("LibreOffice text missing: " + t)
        # Printed: the text box's text stands on the page.
        subprocess.run(["soffice", "--headless", "-env:UserInstallation=file://" + out + "/profile",
                        "--convert-to", "pdf", "--outdir", out, book],
                       capture_output=True, env=env, timeout=300)
        pdf = os.path.join(out, "book.pdf")
        if not os.path.exists(pdf):
            problems.append("LibreOffice wrote no PDF")
        else:
            shown = subprocess.run(["pdftotext", pdf, "-"], capture_output=True).stdout.decode("utf-8", "replace")
            if "line two" not in shown:
                problems.append("pdftotext: the text box's text is not on the page")
    sys.stdout.write("".join(p + "\n" for p in problems))


main()
