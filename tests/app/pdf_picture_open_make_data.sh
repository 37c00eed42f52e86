#!/bin/sh
# Writes pdf_picture_open_data.h beside this script: a reportlab PDF of one
# page with a JPEG picture (DCT data as the JPEG file holds it) and a Flate
# RGB picture, the JPEG file itself, the object numbers pdfimages lists for
# both, the catalog's object number, and the RGB rows (top row first) that
# pdfimages extracts for the Flate picture. The Wine test "apppdfpicture"
# asks for each picture as its marker names it.
set -e
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
/usr/bin/python3 - <<'PY'
from PIL import Image
from reportlab import rl_config
rl_config.useA85 = 0
rl_config.invariant = 1
from reportlab.pdfgen import canvas
from reportlab.lib.utils import ImageReader

jpeg = Image.new("RGB", (48, 32))
px = jpeg.load()
for y in range(32):
    for x in range(48):
        px[x, y] = ((x * 5) % 256, (y * 8) % 256, ((x + y) * 3) % 256)
jpeg.save("pic.jpg", quality=90)
flate = Image.new("RGB", (37, 23))
px = flate.load()
for y in range(23):
    for x in range(37):
        px[x, y] = ((x * 7 + y) % 256, (y * 11) % 256, (x * y) % 256)
c = canvas.Canvas("pics.pdf")
c.drawString(72, 780, "Two pictures")
c.drawImage("pic.jpg", 72, 500, width=96, height=64)
c.drawImage(ImageReader(flate), 72, 300, width=74, height=46)
c.save()
PY
pdfimages -list pics.pdf > list.txt
pdfimages -j pics.pdf pi
pdfimages -png pics.pdf pp
/usr/bin/python3 - "$here/pdf_picture_open_data.h" <<'PY'
import re, sys
from PIL import Image
out = sys.argv[1]
pdf = open("pics.pdf", "rb").read()
jpeg = open("pic.jpg", "rb").read()
# pdfimages takes the DCT data out as it is stored: the JPEG file's bytes.
assert open("pi-000.jpg", "rb").read() == jpeg
rows = [l.split() for l in open("list.txt") if re.match(r"\s*\d", l)]
assert [r[8] for r in rows] == ["jpeg", "image"], rows
jpeg_obj, flate_obj = int(rows[0][10]), int(rows[1][10])
catalog = [int(m.group(1)) for m in re.finditer(rb"(\d+) 0 obj(.*?)endobj", pdf, re.S) if b"/Type /Catalog" in m.group(2)][0]
assert catalog not in (0, jpeg_obj, flate_obj)
flate = Image.open("pp-001.png").convert("RGB")
def arr(name, data):
    return "const unsigned char %s[] = {%s};\n" % (name, ",".join(str(b) for b in data))
with open(out, "w") as f:
    f.write("// Made by pdf_picture_open_make_data.sh with reportlab and pdfimages; do not edit.\n")
    f.write("#pragma once\nnamespace pdfpicturedata {\n")
    f.write(arr("kPdf", pdf))
    f.write(arr("kJpeg", jpeg))
    f.write("constexpr int kJpegObject = %d;\nconstexpr int kJpegWidth = 48;\nconstexpr int kJpegHeight = 32;\n" % jpeg_obj)
    f.write("constexpr int kFlateObject = %d;\nconstexpr int kFlateWidth = %d;\nconstexpr int kFlateHeight = %d;\n"
            % (flate_obj, flate.size[0], flate.size[1]))
    f.write("constexpr int kCatalogObject = %d;\n" % catalog)
    f.write("// Red, green and blue of each pixel, the top row first.\n")
    f.write(arr("kFlateRgb", flate.tobytes()))
    f.write("}  // namespace pdfpicturedata\n")
PY
