#!/usr/bin/python3
"""Makes the picture and dump fixtures of the PDF reader in OUTDIR.

Each picture PDF holds one page that draws image object 5; the source
pixels of each are kept as NAME.src.png (and the JPEG as dct.jpg). Streams:
Flate (zlib), ASCII85 over Flate, LZW (a small encoder below, early change
1), none. Also reportlab files for the structure dump and a Flate stream of
about 40 bytes that inflates to 300 bytes.

usage: make_pdf_pictures.py OUTDIR
"""
import base64
import io
import os
import subprocess
import sys
import zlib

from PIL import Image

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def build(objects, path):
    pdf = b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n"
    offsets = []
    for i, body in enumerate(objects):
        offsets.append(len(pdf))
        pdf += b"%d 0 obj\n" % (i + 1) + body + b"\nendobj\n"
    xref = len(pdf)
    pdf += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for off in offsets:
        pdf += b"%010d 00000 n \n" % off
    pdf += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    with open(path, "wb") as f:
        f.write(pdf)


def stream(d, data):
    return b"<< " + d + b" /Length %d >>\nstream\n" % len(data) + data + b"\nendstream"


def picture_pdf(path, image_dict, data, extra=()):
    w = 200
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /XObject << /Im1 5 0 R >> >> "
        b"/Contents 4 0 R >>",
        stream(b"", b"q %d 0 0 %d 72 500 cm /Im1 Do Q" % (w, w)),
        stream(b"/Type /XObject /Subtype /Image " + image_dict, data),
    ]
    objects.extend(extra)
    build(objects, path)


def lzw_encode(data):
    """PDF LZW, 9-12 bit codes, most significant bit first, early change 1."""
    bits = []
    width = 9
    table = {bytes([i]): i for i in range(256)}
    nxt = 258

    def put(code):
        bits.append(format(code, "0%db" % width))

    put(256)
    w = b""
    for c in data:
        wc = w + bytes([c])
        if wc in table:
            w = wc
            continue
        put(table[w])
        table[wc] = nxt
        nxt += 1
        w = bytes([c])
        if nxt + 1 > (1 << width) and width < 12:
            width += 1
        if nxt >= 4094:
            put(256)
            table = {bytes([i]): i for i in range(256)}
            nxt = 258
            width = 9
    if w:
        put(table[w])
        nxt += 1
        if nxt + 1 > (1 << width) and width < 12:
            width += 1
    put(257)
    s = "".join(bits)
    s += "0" * (-len(s) % 8)
    return bytes(int(s[i:i + 8], 2) for i in range(0, len(s), 8))


def pattern(w, h, mode):
    im = Image.new(mode, (w, h))
    px = im.load()
    for y in range(h):
        for x in range(w):
            if mode == "RGB":
                px[x, y] = ((x * 7 + y) % 256, (y * 11) % 256, (x * y) % 256)
            elif mode == "L":
                px[x, y] = (x * 13 + y * 3) % 256
            elif mode == "1":
                px[x, y] = 255 if (x + y) % 3 == 0 else 0
            elif mode == "P":
                px[x, y] = (x + y * 5) % 256
    return im


# RGB, grey, 8-bit indexed, two 1-bit forms; Flate, ASCII85 over Flate, LZW, none.
rgb = pattern(37, 23, "RGB")
rgb.save(os.path.join(out, "rgb.src.png"))
picture_pdf(os.path.join(out, "rgb.pdf"),
            b"/Width 37 /Height 23 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /FlateDecode",
            zlib.compress(rgb.tobytes()))
picture_pdf(os.path.join(out, "lzw.pdf"),
            b"/Width 37 /Height 23 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /LZWDecode",
            lzw_encode(rgb.tobytes()))
grey = pattern(30, 17, "L")
grey.save(os.path.join(out, "grey.src.png"))
picture_pdf(os.path.join(out, "grey.pdf"),
            b"/Width 30 /Height 17 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /FlateDecode",
            zlib.compress(grey.tobytes()))
picture_pdf(os.path.join(out, "raw.pdf"), b"/Width 30 /Height 17 /BitsPerComponent 8 /ColorSpace /DeviceGray",
            grey.tobytes())
picture_pdf(os.path.join(out, "a85.pdf"),
            b"/Width 30 /Height 17 /BitsPerComponent 8 /ColorSpace /DeviceGray "
            b"/Filter [/ASCII85Decode /FlateDecode]",
            base64.a85encode(zlib.compress(grey.tobytes())) + b"~>")
pal = pattern(41, 19, "P")
lut = bytes((i * 3 % 256, 255 - i, i * 7 % 256)[k] for i in range(256) for k in range(3))
pal.putpalette(lut)
pal.convert("RGB").save(os.path.join(out, "indexed.src.png"))
picture_pdf(os.path.join(out, "indexed.pdf"),
            b"/Width 41 /Height 19 /BitsPerComponent 8 /ColorSpace [/Indexed /DeviceRGB 255 <" +
            lut.hex().encode() + b">] /Filter /FlateDecode",
            zlib.compress(pal.tobytes()))
one = pattern(10, 12, "1")
one.save(os.path.join(out, "bits1.src.png"))
# /Decode [1 0]: a set bit is black, so the samples are the picture inverted.
inverted = bytes(b ^ 0xFF for b in one.tobytes())
picture_pdf(os.path.join(out, "bits1.pdf"),
            b"/Width 10 /Height 12 /BitsPerComponent 1 /ColorSpace /DeviceGray /Decode [1 0] /Filter /FlateDecode",
            zlib.compress(inverted))
wide = pattern(35, 9, "1")
wide.save(os.path.join(out, "bits1plain.src.png"))
picture_pdf(os.path.join(out, "bits1plain.pdf"),
            b"/Width 35 /Height 9 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /FlateDecode",
            zlib.compress(wide.tobytes()))

# A JPEG, and a CMYK JPEG by ImageMagick (its Adobe marker says transform 0).
buf = io.BytesIO()
rgb.save(buf, "JPEG", quality=90)
jpeg = buf.getvalue()
with open(os.path.join(out, "dct.jpg"), "wb") as f:
    f.write(jpeg)
picture_pdf(os.path.join(out, "dct.pdf"),
            b"/Width 37 /Height 23 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /DCTDecode", jpeg)
# A CMYK JPEG (Pillow's libjpeg writes CMYK with Adobe transform 0). Its
# flags word gets the high bit that Photoshop's files carry, which the saver
# looks for before it reads the transform.
buf = io.BytesIO()
rgb.convert("CMYK").save(buf, "JPEG", quality=90)
cdata = bytearray(buf.getvalue())
app = cdata.find(b"\xff\xee")
if app == 2 and cdata[app + 4:app + 9] == b"Adobe" and cdata[app + 15] == 0:
    cdata[app + 11] = 0x80
    with open(os.path.join(out, "cmyk.jpg"), "wb") as f:
        f.write(cdata)
    picture_pdf(os.path.join(out, "cmyk.pdf"),
                b"/Width 37 /Height 23 /BitsPerComponent 8 /ColorSpace /DeviceCMYK /Decode [1 0 1 0 1 0 1 0] "
                b"/Filter /DCTDecode", bytes(cdata))

# A Group 4 page by tiff2pdf.
fax = Image.new("1", (120, 50), 1)
fpx = fax.load()
for y in range(50):
    for x in range(120):
        if (x // 8 + y // 5) % 2 == 0 or x == y:
            fpx[x, y] = 0
fax.save(os.path.join(out, "g4.src.png"))
g4tif = os.path.join(out, "g4.tif")
if subprocess.call(["convert", os.path.join(out, "g4.src.png"), "-monochrome", "-compress", "Group4", g4tif]) == 0:
    subprocess.call(["tiff2pdf", "-o", os.path.join(out, "g4.pdf"), g4tif])

# Width 70,000: the raw saver refuses it.
picture_pdf(os.path.join(out, "wide.pdf"),
            b"/Width 70000 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /FlateDecode",
            zlib.compress(bytes(70000)))

# The structure dump: 300 bytes in a Flate stream of about 40 bytes.
three = bytes((0x0A, 0xFF, 0x30, 0x30)[i % 4] for i in range(300))
with open(os.path.join(out, "three.bin"), "wb") as f:
    f.write(three)
build([b"<< /Type /Catalog >>", stream(b"/Filter /FlateDecode", zlib.compress(three, 9))],
      os.path.join(out, "flate300.pdf"))

# ASCII85 over Flate, made with Python's base64 and zlib.
a85text = b"BT /F1 12 Tf 72 700 Td (ASCII85 over Flate) Tj ET\n" * 3
with open(os.path.join(out, "a85text.bin"), "wb") as f:
    f.write(a85text)
build([b"<< /Type /Catalog >>",
       stream(b"/Filter [/ASCII85Decode /FlateDecode]", base64.a85encode(zlib.compress(a85text)) + b"~>")],
      os.path.join(out, "a85text.pdf"))

# reportlab pages with compressed content streams.
from reportlab.pdfgen import canvas  # noqa: E402

c = canvas.Canvas(os.path.join(out, "lab.pdf"), pageCompression=1)
c.setFont("Helvetica", 12)
c.drawString(72, 720, "Structure (dump) of a page")
c.drawString(72, 700, "second line")
c.showPage()
c.drawString(72, 720, "page two")
c.save()

# Each picture file: the object number of its picture.
with open(os.path.join(out, "objects.txt"), "w") as f:
    for name in sorted(os.listdir(out)):
        if not name.endswith(".pdf"):
            continue
        data = open(os.path.join(out, name), "rb").read()
        import re
        m = re.search(rb"(\d+) 0 obj\s*<<[^>]*?/Subtype\s*/Image", data, re.S)
        if m:
            f.write("%s %s\n" % (name[:-4], m.group(1).decode()))
