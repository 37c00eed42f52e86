#!/usr/bin/env bash
# Runs the screenshot program under Xvfb with Wine's X11 driver, takes the
# picture of the screen (<output>.png) when the program is ready, and checks
# that the areas it named show more than a background colour.
# Usage: screenshot.sh <program.exe> <output-base>. Skips (exit 77) without Xvfb.
set -uo pipefail
root="$(cd "$(dirname "$0")/../../.." && pwd)"
exe="$1"
out="$2"
for tool in Xvfb import convert; do
  command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
source "$root/scripts/wine-env"
"$root/scripts/wine-prefix" || exit 97
num=$((90 + $$ % 100))
while [ -e "/tmp/.X11-unix/X$num" ]; do num=$((num + 1)); done
Xvfb ":$num" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'touch "$out.done"; kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$num" ] && break; sleep 0.1; done
export DISPLAY=":$num"
rm -f "$out.png" "$out.txt" "$out.done"
wine explorer "/desktop=fwshot$$,800x600,x11" "$exe" "Z:$out" </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 300); do grep -qs '^ready' "$out.txt" && break; sleep 0.2; done
grep -qs '^ready' "$out.txt" || { echo "the program did not get ready"; exit 1; }
import -window root "$out.png"
touch "$out.done"
convert "$out.png" "$out.ppm" || exit 1
python3 - "$out.ppm" "$out.txt" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
# Binary PPM: "P6\n<w> <h>\n<max>\n" then RGB triples.
parts = data.split(maxsplit=4)
w, h = int(parts[1]), int(parts[2])
px = parts[4]
ok = True
for line in open(sys.argv[2]):
    f = line.split()
    if len(f) != 5:
        continue
    name, l, t, r, b = f[0], *map(int, f[1:])
    seen = set()
    for y in range(max(t, 0), min(b, h)):
        row = px[(y * w) * 3:(y * w + w) * 3]
        for x in range(max(l, 0), min(r, w)):
            seen.add(row[x * 3:x * 3 + 3])
    print(f"{name}: {len(seen)} colours")
    ok = ok and len(seen) > 2
sys.exit(0 if ok else 1)
PY
status=$?
rm -f "$out.ppm"
[ $status -eq 0 ] && echo "screenshot: $out.png"
exit $status
