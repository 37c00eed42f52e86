#!/usr/bin/python3
"""Cases and checks of the picture loaders and the PNG writer against Pillow.

make DIR     writes pictures (Pillow and ImageMagick) and, for each, NAME.expect:
             the DIB the loader must give, with the loader's rules applied
             (compositing over white or bKGD, palette lightening by tRNS, 2-bit
             greys as 4-bit, transparent black as 248 grey, grey tables).
check FILE   checks a PNG the program wrote: chunk CRCs, nothing after IEND, the
             IDAT inflating with zlib to filter-0 rows; prints its pixels as
             "w h mode" and hex rows for the caller to compare.
Expect format: a line "bits width height colours", the colour table (4 bytes an
entry), then the rows bottom-up at the DIB stride.
"""
import os
import random
import struct
import subprocess
import sys
import zlib

from PIL import Image


def stride(w, bits):
    return ((w * bits + 31) >> 3) & ~3


def write_expect(path, bits, w, h, table, rows_top_first):
    s = stride(w, bits)
    out = bytearray()
    out += ("%d %d %d %d\n" % (bits, w, h, len(table))).encode()
    for e in table:
        out += bytes([e[2], e[1], e[0], 0])
    for row in reversed(rows_top_first):
        out += bytes(row) + bytes(s - len(row))
    open(path, "wb").write(out)


def pack(indices, bits):
    out = bytearray((len(indices) * bits + 7) // 8)
    for i, v in enumerate(indices):
        bit = i * bits
        out[bit >> 3] |= v << (8 - bits - (bit & 7))
    return out


def composite(px, bg):
    """Rows of (r, g, b, a) -> rows of BGR bytes by the loader's rule."""
    rows = []
    light = False
    for row in px:
        out = bytearray()
        for x, (r, g, b, a) in enumerate(row):
            if x == 1:
                light = r + g + b > 750 and a < 20
            inv = 255 - a
            if inv >= 33:
                r, g, b = ((r * a) >> 8) + ((bg[0] * inv) >> 8), ((g * a) >> 8) + ((bg[1] * inv) >> 8), \
                          ((b * a) >> 8) + ((bg[2] * inv) >> 8)
            elif a >= 241 and light and r + g + b > 750:
                r = g = b = 0
            out += bytes([b, g, r])
        rows.append(out)
    return rows


def rows_of(im):
    w, h = im.size
    d = list(im.getdata())
    return [d[y * w:(y + 1) * w] for y in range(h)]


def picture(w, h, seed):
    rnd = random.Random(seed)
    im = Image.new("RGB", (w, h))
    im.putdata([(rnd.randrange(256), (x * 9) & 255, (y * 13) & 255) for y in range(h) for x in range(w)])
    return im


def expect_png(path, name, depth_hint=None):
    im = Image.open(path)
    w, h = im.size
    mode = im.mode
    info = im.info
    bg = (255, 255, 255)
    if mode == "P":
        pal = im.getpalette() or []
        n = len(pal) // 3
        depth = depth_hint or 8
        bits = 4 if depth == 2 else depth
        count = {1: 2, 4: 16, 8: 256}[bits]
        table = [(pal[3 * k], pal[3 * k + 1], pal[3 * k + 2]) if k < n else (0, 0, 0) for k in range(count)]
        trns = info.get("transparency")
        if isinstance(trns, (bytes, bytearray)):
            for k, a in enumerate(trns[:256]):
                if k < count:
                    table[k] = tuple(c + (255 - a) if c < a else 255 for c in table[k])
        elif isinstance(trns, int) and trns < count:
            table[trns] = (255, 255, 255)
        rows = [pack(r, bits) for r in rows_of(im)]
        write_expect(name, bits, w, h, table, rows)
    elif mode == "1":
        rows = [pack([1 if v else 0 for v in r], 1) for r in rows_of(im)]
        write_expect(name, 1, w, h, [(0, 0, 0), (255, 255, 255)], rows)
    elif mode == "L" and depth_hint in (2, 4):
        scale = 85 if depth_hint == 2 else 17
        table = [(k * scale, k * scale, k * scale) if (depth_hint == 4 or k < 4) else (0, 0, 0) for k in range(16)]
        rows = [pack([v // scale for v in r], 4) for r in rows_of(im)]
        write_expect(name, 4, w, h, table, rows)
    elif mode in ("L", "I", "I;16"):
        rows = []
        for r in rows_of(im):
            out = bytearray()
            for v in r:
                v = v >> 8 if mode != "L" else v
                out += bytes([v, v, v])
            rows.append(out)
        write_expect(name, 24, w, h, [], rows)
    elif mode == "RGB":
        rows = [bytearray(b for p in r for b in (p[2], p[1], p[0])) for r in rows_of(im)]
        write_expect(name, 24, w, h, [], rows)
    elif mode in ("RGBA", "LA"):
        raw = open(path, "rb").read()
        at = raw.find(b"bKGD")
        if mode == "RGBA" and at > 0 and depth_hint == 8:
            bg = (raw[at + 5], raw[at + 7], raw[at + 9])  # low bytes of red, green, blue
        px = rows_of(im.convert("RGBA")) if mode == "LA" else rows_of(im)
        write_expect(name, 24, w, h, [], composite(px, bg))
    else:
        raise SystemExit("mode " + mode)


def magick(args):
    subprocess.run(["convert"] + args, check=True)


def make(d):
    os.makedirs(d, exist_ok=True)
    cases = []
    base = picture(13, 11, 1)
    big = picture(37, 29, 2)
    for i, (w, h) in enumerate([(1, 1), (3, 2), (5, 5), (9, 7)]):
        base_i = picture(w, h, 10 + i)
        p = os.path.join(d, "rgbi%d.png" % i)
        base_i.save(p.replace("rgbi", "src_rgbi"))
        magick([p.replace("rgbi", "src_rgbi"), "-interlace", "PNG", "PNG24:" + p])
        cases.append((p, None))
    for bits in (1, 2, 4, 8):
        im = big.quantize(colors=1 << bits)
        p = os.path.join(d, "pal%d.png" % bits)
        im.save(p, bits=bits)
        cases.append((p, bits))
    im = big.quantize(colors=4)
    p = os.path.join(d, "paltrns.png")
    im.save(p, bits=2, transparency=bytes([128, 0, 255, 10]))
    cases.append((p, 2))
    p = os.path.join(d, "grey1.png")
    big.convert("1").save(p)
    cases.append((p, None))
    for depth in (2, 4):
        p = os.path.join(d, "grey%d.png" % depth)
        magick(["-size", "9x7", "gradient:", "-colorspace", "gray", "-depth", str(depth), "PNG:" + p])
        cases.append((p, depth))
    p = os.path.join(d, "grey8.png")
    big.convert("L").save(p)
    cases.append((p, None))
    p = os.path.join(d, "grey16.png")
    magick([os.path.join(d, "src_rgbi3.png"), "-colorspace", "gray", "-depth", "16", "PNG:" + p])
    cases.append((p, None))
    p = os.path.join(d, "rgb.png")
    big.save(p)
    cases.append((p, None))
    p = os.path.join(d, "rgb16.png")
    magick([os.path.join(d, "src_rgbi3.png"), "-depth", "16", "PNG48:" + p])
    cases.append((p, None))
    for name, filt in (("f0", 0), ("f1", 1), ("f2", 2), ("f3", 3), ("f4", 4)):
        p = os.path.join(d, "filter%s.png" % name)
        src = os.path.join(d, "src_big.png")
        big.save(src)
        magick([src, "-define", "png:compression-filter=%d" % filt, "PNG24:" + p])
        cases.append((p, None))
    rgba = Image.new("RGBA", (7, 3))
    rgba.putdata([(10 * x, 20 * y, 200, a) for y in range(3) for x, a in enumerate((0, 10, 19, 128, 222, 250, 255))])
    p = os.path.join(d, "rgba.png")
    rgba.save(p)
    cases.append((p, None))
    p = os.path.join(d, "rgbabkgd.png")
    magick([p.replace("rgbabkgd", "rgba"), "-background", "rgb(10,20,30)", "-define", "png:bit-depth=8",
            "PNG32:" + p])
    cases.append((p, 8))
    la = Image.new("LA", (4, 2))
    la.putdata([(v, a) for v, a in ((0, 0), (100, 10), (200, 128), (255, 255))] * 2)
    p = os.path.join(d, "la.png")
    la.save(p)
    cases.append((p, None))
    p = os.path.join(d, "multi.png")
    big.save(p)  # several IDAT chunks
    data = open(p, "rb").read()
    open(p, "wb").write(split_idat(data, 40))
    cases.append((p, None))
    for path, hint in cases:
        expect_png(path, path + ".expect", hint)
    # GIF: indices and table from Pillow, the loader's rules applied.
    gifs = []
    im = big.quantize(colors=2)
    p = os.path.join(d, "two.gif")
    im.save(p)
    gifs.append(p)
    im = big.quantize(colors=256)
    p = os.path.join(d, "c256.gif")
    im.save(p, interlace=True)
    gifs.append(p)
    im = big.quantize(colors=16)
    pal = im.getpalette()
    pal[0:3] = [0, 0, 0]
    im.putpalette(pal)
    p = os.path.join(d, "transp.gif")
    im.save(p, transparency=0)
    gifs.append(p)
    frames = [big.quantize(colors=8), picture(37, 29, 5).quantize(colors=8)]
    p = os.path.join(d, "anim.gif")
    frames[0].save(p, save_all=True, append_images=frames[1:])
    gifs.append(p)
    for p in gifs:
        g = Image.open(p)
        g.seek(0)
        w, h = g.size
        raw = open(p, "rb").read()
        # The minimum code size decides 4 or 8 bits; find it after the first descriptor.
        k = min_code_size(raw)
        bits = 4 if k <= 4 else 8
        pal = g.getpalette() or []
        table = [(pal[3 * i], pal[3 * i + 1], pal[3 * i + 2]) for i in range(len(pal) // 3)]
        t = g.info.get("transparency")
        if isinstance(t, int) and t < len(table) and table[t] == (0, 0, 0):
            table[t] = (248, 248, 248)
        count = 16 if bits == 4 else 256
        table = (table + [(0, 0, 0)] * count)[:count]
        rows = [pack(r, bits) if bits == 4 else bytearray(r) for r in rows_of(g)]
        write_expect(p + ".expect", bits, w, h, table, rows)
    return cases


def min_code_size(raw):
    pos = 13
    if raw[10] & 0x80:
        pos += 3 * (2 << (raw[10] & 7))
    while raw[pos] != 0x2C:
        pos += 2
        while raw[pos]:
            pos += raw[pos] + 1
        pos += 1
    flags = raw[pos + 9]
    pos += 10
    if flags & 0x80:
        pos += 3 * (2 << (flags & 7))
    return raw[pos]


def split_idat(data, n):
    out = bytearray(data[:8])
    pos = 8
    z = bytearray()
    tail = bytearray()
    while pos < len(data):
        ln, = struct.unpack(">I", data[pos:pos + 4])
        t = data[pos + 4:pos + 8]
        if t == b"IDAT":
            z += data[pos + 8:pos + 8 + ln]
        elif not z:
            out += data[pos:pos + 12 + ln]
        else:
            tail += data[pos:pos + 12 + ln]
        pos += 12 + ln
    for i in range(0, len(z), n):
        c = z[i:i + n]
        out += struct.pack(">I", len(c)) + b"IDAT" + c + struct.pack(">I", zlib.crc32(b"IDAT" + c))
    return bytes(out + tail)


def check(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "signature"
    pos = 8
    z = b""
    ihdr = None
    while True:
        ln, = struct.unpack(">I", data[pos:pos + 4])
        t = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + ln]
        crc, = struct.unpack(">I", data[pos + 8 + ln:pos + 12 + ln])
        assert crc == zlib.crc32(t + body), "crc of " + t.decode()
        if t == b"IHDR":
            ihdr = body
        if t == b"IDAT":
            z += body
        pos += 12 + ln
        if t == b"IEND":
            break
    assert pos == len(data), "data after IEND"
    w, h, depth, ctype = struct.unpack(">IIBB", ihdr[:10])
    raw = zlib.decompress(z)
    rowlen = (w * depth * (3 if ctype == 2 else 1) + 7) // 8
    assert len(raw) == h * (rowlen + 1), "filtered size"
    assert all(raw[y * (rowlen + 1)] == 0 for y in range(h)), "filter bytes"
    im = Image.open(path)
    im.load()
    if im.mode == "P":
        print(w, h, "P", len(im.getpalette()) // 3)
        rows = [bytes(r) for r in rows_of(im)]
    else:
        im = im.convert("RGB")
        print(w, h, "RGB", 0)
        rows = [bytes(b for p in r for b in p) for r in rows_of(im)]
    for r in rows:
        print(r.hex())


def write_be_tiff(path, im):
    w, h = im.size
    rows = [bytes(b for q in r for b in q) for r in rows_of(im)]
    half = (h + 1) // 2
    strips = [b"".join(rows[:half]), b"".join(rows[half:])]
    entries = []
    data_at = 8 + 2 + 12 * 11 + 4 + 6  # header, entries, next offset, BitsPerSample values
    offs = [data_at, data_at + len(strips[0])]
    def e(tag, typ, count, value):
        entries.append(struct.pack(">HHI", tag, typ, count) + value)
    e(256, 4, 1, struct.pack(">I", w))
    e(257, 3, 1, struct.pack(">HH", h, 0))
    e(258, 3, 3, struct.pack(">I", 8 + 2 + 12 * 11 + 4))
    e(259, 3, 1, struct.pack(">HH", 1, 0))
    e(262, 3, 1, struct.pack(">HH", 2, 0))
    e(273, 3, 2, struct.pack(">HH", offs[0], offs[1]))
    e(277, 3, 1, struct.pack(">HH", 3, 0))
    e(278, 3, 1, struct.pack(">HH", half, 0))
    e(279, 3, 2, struct.pack(">HH", len(strips[0]), len(strips[1])))
    e(284, 3, 1, struct.pack(">HH", 1, 0))
    e(296, 3, 1, struct.pack(">HH", 1, 0))
    out = b"MM\x00\x2a" + struct.pack(">I", 8) + struct.pack(">H", len(entries)) + b"".join(entries)
    out += struct.pack(">I", 0) + struct.pack(">HHH", 8, 8, 8)
    assert len(out) == data_at
    open(path, "wb").write(out + strips[0] + strips[1])


def make_bmp(d):
    """Bitmaps; NAME.expect holds the 24-bit rows the record converts to."""
    os.makedirs(d, exist_ok=True)
    cases = []
    for w in (1, 3, 5, 10):
        src = picture(w, 4, 30 + w)
        for mode, name in (("1", "b1"), ("P16", "b4"), ("P", "b8"), ("RGB", "b24")):
            im = src.convert("1") if mode == "1" else src.quantize(colors=16) if mode == "P16" else \
                src.quantize(colors=200) if mode == "P" else src
            p = os.path.join(d, "%s_w%d.bmp" % (name, w))
            im.save(p)
            cases.append(p)
    src = os.path.join(d, "src_bmp.png")
    picture(7, 5, 3).save(src)
    for name, args in (("im555.bmp", ["-define", "bmp:subtype=RGB555", "BMP3:"]),
                       ("im555v5.bmp", ["-define", "bmp:subtype=RGB555", "BMP:"]),
                       ("im565v5.bmp", ["-define", "bmp:subtype=RGB565", "BMP:"]),
                       ("im24v5.bmp", ["BMP:"]),
                       ("im32v5.bmp", ["-alpha", "set", "BMP:"])):
        p = os.path.join(d, name)
        magick([src] + args[:-1] + [args[-1] + p])
        cases.append(p)
    for p in cases:
        raw = open(p, "rb").read()
        off, = struct.unpack("<I", raw[10:14])
        bisize, w, h, planes, bits, comp = struct.unpack("<IiiHHI", raw[14:34])
        if bits == 16:
            # The loader's rule: masks when there are any (5-5-5 without),
            # each channel's bits moved to the top of the byte.
            masks = (0x7C00, 0x03E0, 0x001F)
            if comp == 3 and (bisize > 40 or off >= 66):
                masks = struct.unpack("<III", raw[54:66])
            def take(v, m):
                if not m:
                    return 0
                shift = (m & -m).bit_length() - 1
                nb = bin(m).count("1")
                c = (v & m) >> shift
                return (c >> (nb - 8)) if nb >= 8 else (c << (8 - nb)) & 255
            stride_ = stride(w, 16)
            rows = []
            for y in range(h - 1, -1, -1):
                r = bytearray()
                for x in range(w):
                    v = raw[off + y * stride_ + 2 * x] | raw[off + y * stride_ + 2 * x + 1] << 8
                    r += bytes([take(v, masks[2]), take(v, masks[1]), take(v, masks[0])])
                rows.append(r)
        else:
            im = Image.open(p).convert("RGB")
            rows = [bytearray(b for q in r for b in (q[2], q[1], q[0])) for r in rows_of(im)]
        write_expect(p + ".expect24", 24, w, h, [], rows)


def make_tiff(d):
    """TIFF cases and their expectations (Pillow writes and decodes them)."""
    os.makedirs(d, exist_ok=True)
    rnd = random.Random(7)
    bw = Image.new("1", (300, 40))
    bw.putdata([1 if (x // 7 + y // 5 + rnd.randrange(9) // 8) % 2 else 0 for y in range(40) for x in range(300)])
    wide = Image.new("1", (3456, 12), 1)
    # Every third row is white for 3001 pixels: a run above 2560 (two make-up codes).
    wide.putdata([0 if x > 3000 or (y % 3 and (x * 13 + y * 7) % 97 < 3) else 1
                  for y in range(12) for x in range(3456)])
    big = picture(37, 29, 2)
    cases = []
    for comp in ("raw", "tiff_ccitt", "group3", "group4", "packbits", "tiff_lzw"):
        p = os.path.join(d, "bw_%s.tif" % comp)
        bw.save(p, compression=comp)
        cases.append((p, bw))
    dense = Image.new("1", (3000, 6))
    dense.putdata([(x + y) % 2 for y in range(6) for x in range(3000)])
    p = os.path.join(d, "dense_g4.tif")
    dense.save(p, compression="group4")
    cases.append((p, dense))
    p = os.path.join(d, "bw_group3_2d.tif")
    bw.save(p, compression="group3", tiffinfo={292: 1})
    cases.append((p, bw))
    p = os.path.join(d, "wide_g4.tif")
    wide.save(p, compression="group4")
    cases.append((p, wide))
    for comp in ("raw", "packbits", "tiff_lzw"):
        p = os.path.join(d, "rgb_%s.tif" % comp)
        big.save(p, compression=comp)
        cases.append((p, big))
        p = os.path.join(d, "grey_%s.tif" % comp)
        big.convert("L").save(p, compression=comp)
        cases.append((p, big.convert("L")))
    bw.save(os.path.join(d, "src_bw.png"))
    big.save(os.path.join(d, "src_big.png"))
    for name, args, im in (
            ("im_g3.tif", ["-compress", "Fax"], bw),
            ("im_lzw_pred.tif", ["-compress", "LZW", "-define", "tiff:predictor=2"], big),
            ("im_lsb2msb.tif", ["-compress", "Group4", "-define", "tiff:fill-order=lsb"], bw)):
        p = os.path.join(d, name)
        src = os.path.join(d, "src_bw.png" if im is bw else "src_big.png")
        magick([src] + args + [("GROUP4:" if False else "TIFF:") + p])
        cases.append((p, im))
    # Several strips of fax data, each a coding sequence of its own.
    from PIL import TiffImagePlugin
    saved = TiffImagePlugin.STRIP_SIZE
    TiffImagePlugin.STRIP_SIZE = 300
    for comp in ("group3", "group4", "tiff_ccitt"):
        p = os.path.join(d, "strips_%s.tif" % comp)
        bw.save(p, compression=comp)
        cases.append((p, bw))
    TiffImagePlugin.STRIP_SIZE = saved
    # Big-endian, ImageWidth a LONG, StripOffsets SHORT values of two strips.
    p = os.path.join(d, "be_rgb.tif")
    write_be_tiff(p, big)
    cases.append((p, big))
    pal = big.quantize(colors=200)
    p = os.path.join(d, "pal.tif")
    pal.save(p, compression="tiff_lzw")
    cases.append((p, pal))
    for p, im in cases:
        t = Image.open(p)
        t.load()
        w, h = t.size
        if t.mode == "1":
            photometric = t.tag_v2.get(262, 1)
            rows = [pack([0 if v else 1 for v in r] if photometric == 0 else [1 if v else 0 for v in r], 1)
                    for r in rows_of(t)]
            table = [(255, 255, 255), (0, 0, 0)] if photometric == 0 else [(0, 0, 0), (255, 255, 255)]
            write_expect(p + ".expect", 1, w, h, table, rows)
        elif t.mode == "L":
            photometric = t.tag_v2.get(262, 1)
            rows = [bytearray(255 - v if photometric == 0 else v for v in r) for r in rows_of(t)]
            table = [(255 - k, 255 - k, 255 - k) if photometric == 0 else (k, k, k) for k in range(256)]
            write_expect(p + ".expect", 8, w, h, table, rows)
        elif t.mode == "P":
            pl = t.getpalette()
            table = [(pl[3 * k], pl[3 * k + 1], pl[3 * k + 2]) for k in range(256)]
            write_expect(p + ".expect", 8, w, h, table, [bytearray(r) for r in rows_of(t)])
        else:
            rows = [bytearray(b for q in r for b in (q[2], q[1], q[0])) for r in rows_of(t.convert("RGB"))]
            write_expect(p + ".expect", 24, w, h, [], rows)


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2])
        make_tiff(sys.argv[2])
        make_bmp(sys.argv[2])
    else:
        check(sys.argv[2])
