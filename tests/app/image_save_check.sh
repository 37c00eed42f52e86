#!/usr/bin/env bash
# Outside tools around the picture tests of test_appimagesave.
#   image_save_check.sh gradient DIR  ImageMagick makes DIR/image_zoom/gradient.bmp
#                                     (240 x 160, smooth in both directions) and
#                                     its box-filtered half, gradient_half.ppm
#   image_save_check.sh png DIR       Pillow reads DIR/image_save_png/p8.png and
#                                     p24.png (written by the program): modes P
#                                     and RGB, pixels equal to p8.rgb and p24.rgb
#                                     (the shown pixels, top-down RGB)
set -u
case "$1" in
  gradient)
    command -v convert >/dev/null || exit 77
    d="$2/image_zoom"
    mkdir -p "$d" && rm -f "$d/gradient.bmp" "$d/gradient_half.ppm"
    convert -size 240x160 xc: -channel R -fx 'i/w' -channel G -fx 'j/h' \
            -channel B -fx '0.5+0.4*sin((i+j)/50)' +channel -depth 8 -type TrueColor \
            "BMP3:$d/gradient.bmp" &&
      convert "$d/gradient.bmp" -filter box -resize 50% "$d/gradient_half.ppm" ;;
  png)
    /usr/bin/python3 -c 'import PIL' 2>/dev/null || exit 77
    /usr/bin/python3 - "$2/image_save_png" <<'PY'
import sys
from PIL import Image
d = sys.argv[1]
bad = 0
for name, mode in (("p8", "P"), ("p24", "RGB")):
    try:
        im = Image.open(f"{d}/{name}.png")
        im.load()
        want = open(f"{d}/{name}.rgb", "rb").read()
    except OSError as e:
        print(f"{name}: {e}")
        bad = 1
        continue
    if im.mode != mode:
        print(f"{name}.png: mode {im.mode}, want {mode}")
        bad = 1
    got = im.convert("RGB").tobytes()
    if got != want:
        diff = sum(1 for a, b in zip(got, want) if a != b)
        print(f"{name}.png: {len(got)} bytes, want {len(want)}; {diff} differ")
        bad = 1
sys.exit(bad)
PY
    ;;
esac
