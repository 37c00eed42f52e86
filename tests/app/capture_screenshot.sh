#!/usr/bin/env bash
# Runs the desktop-capture program under Xvfb with Wine's X11 desktop
# (800 x 600) and checks its picture with Pillow: the desktop's size, and the
# second window's colour over most of its rectangle.
# Usage: capture_screenshot.sh <program.exe> <output-base>. Skips (exit 77)
# without Xvfb or Pillow.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
exe="$1"
out="$2"
command -v Xvfb >/dev/null || { echo "no Xvfb: skipped"; exit 77; }
/usr/bin/python3 -c 'import PIL' 2>/dev/null || { echo "no Pillow: skipped"; exit 77; }
source "$root/scripts/wine-env"
"$root/scripts/wine-prefix" || exit 97
num=$((290 + $$ % 100))
while [ -e "/tmp/.X11-unix/X$num" ]; do num=$((num + 1)); done
Xvfb ":$num" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$num" ] && break; sleep 0.1; done
export DISPLAY=":$num"
rm -rf "$out.txt" "${out}_desk.png" "$out.dir"
mkdir -p "$out.dir"
wine explorer "/desktop=captureshot$$,800x600,x11" "$exe" "Z:$out" "$(winepath -w "$out.dir")" </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 300); do grep -qs '^ready' "$out.txt" && break; sleep 0.2; done
grep -qs '^ready' "$out.txt" || { echo "the program did not finish its capture"; exit 1; }
/usr/bin/python3 - "${out}_desk.png" "$out.txt" <<'PY'
import sys
from PIL import Image
try:
    im = Image.open(sys.argv[1]).convert("RGB")
except OSError as e:
    print(e)
    sys.exit(1)
if im.size != (800, 600):
    print(f"picture {im.size}, want the desktop's (800, 600)")
    sys.exit(1)
ok = False
for line in open(sys.argv[2]):
    f = line.split()
    if len(f) != 8 or f[0] != "window":
        continue
    l, t, r, b, cr, cg, cb = map(int, f[1:])
    hits = total = 0
    for y in range(t + 4, b - 4):
        for x in range(l + 4, r - 4):
            p = im.getpixel((x, y))
            total += 1
            if abs(p[0] - cr) <= 8 and abs(p[1] - cg) <= 8 and abs(p[2] - cb) <= 8:
                hits += 1
    print(f"window: {hits} of {total} pixels of ({cr},{cg},{cb})")
    ok = total > 0 and hits * 10 >= total * 9
sys.exit(0 if ok else 1)
PY
status=$?
[ $status -eq 0 ] && echo "capture: ${out}_desk.png"
exit $status
