#!/usr/bin/env bash
# Runs the ruled-display screenshot program under Xvfb with Wine's X11
# driver, takes the picture of the screen (<output>.png) when the program is
# ready, and checks that each area it named shows its colour (within a few
# steps: the X server may round).
# Usage: ruled_screenshot.sh <program.exe> <output-base>. Skips (exit 77)
# without Xvfb or ImageMagick.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
exe="$1"
out="$2"
for tool in Xvfb import convert; do
  command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
source "$root/scripts/wine-env"
"$root/scripts/wine-prefix" || exit 97
num=$((190 + $$ % 100))
while [ -e "/tmp/.X11-unix/X$num" ]; do num=$((num + 1)); done
Xvfb ":$num" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'touch "$out.done"; kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$num" ] && break; sleep 0.1; done
export DISPLAY=":$num"
rm -rf "$out.png" "$out.txt" "$out.done" "$out.dir"
mkdir -p "$out.dir"
wine explorer "/desktop=ruledshot$$,800x600,x11" "$exe" "Z:$out" "$(winepath -w "$out.dir")" </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 300); do grep -qs '^ready' "$out.txt" && break; sleep 0.2; done
grep -qs '^ready' "$out.txt" || { echo "the program did not get ready"; exit 1; }
import -window root "$out.png"
touch "$out.done"
convert "$out.png" "$out.ppm" || exit 1
python3 - "$out.ppm" "$out.txt" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
parts = data.split(maxsplit=4)
w, h = int(parts[1]), int(parts[2])
px = parts[4]
ok = True
areas = 0
for line in open(sys.argv[2]):
    f = line.split()
    if len(f) != 8:
        continue
    areas += 1
    name = f[0]
    l, t, r, b, cr, cg, cb = map(int, f[1:])
    hits = 0
    for y in range(max(t, 0), min(b, h)):
        for x in range(max(l, 0), min(r, w)):
            p = px[(y * w + x) * 3:(y * w + x) * 3 + 3]
            if abs(p[0] - cr) <= 8 and abs(p[1] - cg) <= 8 and abs(p[2] - cb) <= 8:
                hits += 1
    print(f"{name}: {hits} pixels of ({cr},{cg},{cb})")
    ok = ok and hits > 0
sys.exit(0 if ok and areas == 2 else 1)
PY
status=$?
rm -f "$out.ppm"
[ $status -eq 0 ] && echo "screenshot: $out.png"
exit $status
