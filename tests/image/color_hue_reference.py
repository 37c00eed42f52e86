#!/usr/bin/env python3
"""The hue code and hue distance of the colour engine, written again from
their description, for the engine's test to compare with.

  color_hue_reference.py codes      -> "r g b code" lines over a grid
  color_hue_reference.py distances  -> "a c distance" lines over code pairs
  color_hue_reference.py palette DIR W H SEED
      -> DIR/pal.idx (indexes, top row first), DIR/pal.pal (256 x RGB) and
         DIR/pal.inv (RGB of the picture inverted by Pillow), for a random
         palette picture made with Pillow (run with Debian's python3)
"""
import os
import random
import sys


def hue_code(r, g, b):
    u = g - b
    v = r - (g + b) // 2
    if abs(u) < 8 and abs(r - g) < 8:
        grey = (r + g + b) >> 2
        return -1 if grey == 0 else -grey
    if abs(u) < abs(v):
        h = abs(u) * 256 // max(abs(v), 2)
        if v <= 0:
            h = h + 1024 if u <= 0 else 1024 - h
        else:
            h = h if u >= 0 else 2048 - h
    else:
        h = abs(v) * 256 // max(abs(u), 2)
        if u <= 0:
            h = h + 1536 if v > 0 else 1536 - h
        else:
            h = h + 512 if v <= 0 else 512 - h
    return 1 if h < 0 else h


def hue_distance(a, c):
    if a < 0 and c < 0:
        return abs(c - a)
    if (a < 0) != (c < 0):
        return 254
    d = abs(a - c)
    if d > 2048:
        d -= 2048
    elif d > 1024:
        d = 2048 - d
    return d // 4


def main():
    mode = sys.argv[1]
    out = []
    if mode == "codes":
        grid = list(range(0, 256, 5)) + [255]
        seen = set()
        for cube in (grid, range(0, 24), range(232, 256)):
            for r in cube:
                for g in cube:
                    for b in cube:
                        if (r, g, b) not in seen:
                            seen.add((r, g, b))
                            out.append("%d %d %d %d" % (r, g, b, hue_code(r, g, b)))
    elif mode == "distances":
        codes = list(range(-192, 0, 3)) + list(range(0, 2049, 11)) + [2048, 1024, 1025, 1023]
        for a in codes:
            for c in codes[::4]:
                out.append("%d %d %d" % (a, c, hue_distance(a, c)))
    elif mode == "palette":
        from PIL import Image, ImageOps
        folder, w, h, seed = sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
        rnd = random.Random(seed)
        im = Image.new("P", (w, h))
        pal = [rnd.randrange(256) for _ in range(768)]
        im.putpalette(pal)
        im.putdata([rnd.randrange(256) for _ in range(w * h)])
        with open(os.path.join(folder, "pal.idx"), "wb") as f:
            f.write(im.tobytes())
        with open(os.path.join(folder, "pal.pal"), "wb") as f:
            f.write(bytes(pal))
        with open(os.path.join(folder, "pal.inv"), "wb") as f:
            f.write(ImageOps.invert(im.convert("RGB")).tobytes())
        return
    sys.stdout.write("\n".join(out) + "\n")


main()
