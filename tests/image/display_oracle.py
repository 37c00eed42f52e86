#!/usr/bin/python3
# Pillow's view of the display transforms: for every in*.bmp of a folder,
# the picture mirrored, flipped and turned by 90, 180 and 270 degrees
# clockwise, written as top-down R, G, B bytes (<name>.<op>.rgb), with the
# size in a first line "w h".
#   display_oracle.py geometry FOLDER
import os
import sys

from PIL import Image

OPS = {
    "flop": Image.Transpose.FLIP_LEFT_RIGHT,
    "flip": Image.Transpose.FLIP_TOP_BOTTOM,
    "r90": Image.Transpose.ROTATE_270,   # Pillow turns anticlockwise
    "r180": Image.Transpose.ROTATE_180,
    "r270": Image.Transpose.ROTATE_90,
}


def main():
    mode, folder = sys.argv[1], sys.argv[2]
    if mode != "geometry":
        sys.exit("unknown mode " + mode)
    for name in sorted(os.listdir(folder)):
        if not (name.startswith("in") and name.endswith(".bmp")):
            continue
        im = Image.open(os.path.join(folder, name)).convert("RGB")
        for op, t in OPS.items():
            out = im.transpose(t)
            with open(os.path.join(folder, name[:-4] + "." + op + ".rgb"), "wb") as f:
                f.write(b"%d %d\n" % out.size)
                f.write(out.tobytes())


main()
