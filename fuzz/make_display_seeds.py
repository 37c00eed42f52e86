#!/usr/bin/env python3
# Writes the seeds of the display pipeline target (fuzz/corpus/display_pipeline):
# small pictures at every depth with each step of the run switched on.
import os
import random
import struct
import sys

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus", "display_pipeline")
os.makedirs(out, exist_ok=True)
rng = random.Random(71)
BITS = [1, 4, 8, 16, 24, 32]


def seed(name, bits, w, h, zoom=5, fine=0, rot=0, opt=0, stretch=0, flags=0, filt=0, sel=(0, 0, 0, 0),
         raw=None):
    b = bytearray()
    b.append(1 if raw else 0)
    b += struct.pack("<HHB", w - 1, h - 1, BITS.index(bits))
    if raw:
        b += struct.pack("<iiBI", *raw)
    b.append(0)                                   # colours used
    b += bytes(rng.randrange(256) for _ in range(48))
    b += bytes([zoom, fine + 1, rot, opt + 2, stretch + 1])
    b += struct.pack("<H", flags)
    b.append(filt + 7)
    b += struct.pack("<hhhh", *sel)
    b += bytes([4, 200, 1, 0])                    # exact rows, slack, B from the rows
    b += bytes(rng.randrange(256) for _ in range(300))
    with open(os.path.join(out, name), "wb") as f:
        f.write(b)


EFFECT, NEED, TO24, FILTER, CUT = 1 << 2, 1 << 4, 1 << 5, 1 << 6, 1 << 7
for bits in BITS:
    seed("mirror_flip_%d" % bits, bits, 13, 7, flags=3)
    seed("turn_%d" % bits, bits, 9, 5, rot=1 + bits % 3)
    seed("reduce_%d" % bits, bits, 33, 17, zoom=4)
    seed("enlarge_%d" % bits, bits, 7, 3, zoom=7)
    seed("cut_%d" % bits, bits, 20, 20, flags=EFFECT | NEED | CUT, sel=(3, 4, 12, 9))
seed("fine_enlarge", 24, 11, 11, zoom=9, fine=7, flags=EFFECT | TO24)
seed("fine_reduce_mode3", 24, 40, 30, zoom=5, fine=8, stretch=3)
seed("filter_sharpen", 24, 16, 12, flags=EFFECT | NEED | FILTER, filt=4)
seed("colour_option", 24, 8, 8, opt=2)
seed("to24_effects", 8, 10, 10, flags=EFFECT | NEED | TO24, opt=-2)
seed("bad_bits", 24, 4, 4, raw=(4, 4, 3, 0))
seed("zero_width", 24, 4, 4, raw=(0, 4, 24, 0))
