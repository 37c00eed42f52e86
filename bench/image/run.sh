#!/bin/sh
# Makes a 24-megapixel picture as RGB PNG, LZW TIFF and 256-colour GIF, then
# prints the median load time of ours (bench_image) and of Pillow's decode.
# Usage: bench/image/run.sh BUILD_DIR [RUNS]
set -e
build=$1
runs=${2:-5}
dir=$(mktemp -d)
/usr/bin/python3 - "$dir" <<'PY'
import sys
from PIL import Image
d = sys.argv[1]
im = Image.effect_mandelbrot((6000, 4000), (-2.2, -1.2, 1.0, 1.2), 100).convert("RGB")
r, g, b = im.split()
im = Image.merge("RGB", (r, g.point(lambda v: (v * 3) & 255), b.point(lambda v: 255 - v)))
im.save(d + "/p.png")
im.save(d + "/p.tif", compression="tiff_lzw")
im.quantize(colors=256).save(d + "/p.gif")
PY
"$build/bench/image/bench_image" -runs "$runs" "$dir/p.png" "$dir/p.tif" "$dir/p.gif"
/usr/bin/python3 - "$dir" "$runs" <<'PY'
import sys, time
from PIL import Image
d, runs = sys.argv[1], int(sys.argv[2])
for name in ("p.png", "p.tif", "p.gif"):
    t = []
    for _ in range(runs):
        a = time.perf_counter()
        im = Image.open(d + "/" + name)
        im.load()
        t.append(time.perf_counter() - a)
    t.sort()
    print("Pillow %s\t%.4f" % (name, t[len(t) // 2]))
PY
rm -rf "$dir"
