#!/usr/bin/env bash
# Runs the screen-capture program under Xvfb with Wine's X11 desktop
# (800 x 600), clicks its "colour" window with xdotool when the clicked-window
# capture waits, and checks every phase's pictures with Pillow (one line per
# phase; see capture_screenshot_main.cpp for the phases).
# Usage: capture_screenshot.sh <program.exe> <output-base>. Skips (exit 77)
# without Xvfb, xdotool or Pillow; exits 1 when any phase fails.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
exe="$1"
out="$2"
command -v Xvfb >/dev/null || { echo "no Xvfb: skipped"; exit 77; }
command -v xdotool >/dev/null || { echo "no xdotool: skipped"; exit 77; }
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
rm -rf "$out.txt" "$out.log" "$out.dir"
mkdir -p "$out.dir"
start=$SECONDS
wine explorer "/desktop=captureshot$$,800x600,x11" "$exe" "Z:$out" "$(winepath -w "$out.dir")" \
  </dev/null >"$out.log" 2>&1 &
wine=$!

# The click on "colour" (its X window inside Wine's desktop, else its place on
# the screen) once the clicked-window capture waits for a window in front.
click() {
  local id
  id=$(xdotool search --name '^colour$' 2>/dev/null | head -n 1)
  if [ -n "$id" ]; then
    echo "click on the window \"colour\" (X window $id)"
    xdotool mousemove --window "$id" 80 60 click 1
  else
    echo "click on the place of \"colour\""
    xdotool mousemove 500 320 click 1
  fi
}
clicked=0
while [ $((SECONDS - start)) -lt 100 ]; do
  grep -qs '^ready' "$out.txt" && break
  kill -0 $wine 2>/dev/null || break  # Wine ended early
  if [ $clicked -eq 0 ] && grep -qs '^waiting40' "$out.txt"; then
    sleep 0.1
    click || echo "xdotool could not click"
    clicked=1
  fi
  sleep 0.2
done
echo "the program ran $((SECONDS - start)) s"
unfinished=0
if ! grep -qs '^ready' "$out.txt"; then
  # The phases that wrote their line are still checked.
  kill -0 $wine 2>/dev/null || echo "Wine ended before the last phase (the program crashed, or the server was stopped)"
  echo "the program did not finish its phases; Wine's output (the last lines of $out.log):"
  tail -n 20 "$out.log"
  unfinished=1
fi
touch "$out.txt"

/usr/bin/python3 - "$out.dir" "$out.txt" <<'PY'
import os
import sys
from PIL import Image

folder, notes = sys.argv[1], sys.argv[2]
phases = {}
for line in open(notes, encoding="ascii", errors="replace"):
    f = line.split()
    if len(f) > 1:
        phases[f[0]] = dict(kv.split("=", 1) for kv in f[1:] if "=" in kv)


def ints(text):
    return [int(v) for v in text.split(",")]


def picture(name):
    im = Image.open(os.path.join(folder, name))
    im.load()
    return im.convert("RGB")


def near(p, rgb, tol=8):
    return all(abs(a - b) <= tol for a, b in zip(p, rgb))


def share(im, box, rgb):
    """The share of the pixels of `box` (l, t, r, b) that are `rgb`."""
    l, t, r, b = box
    hits = total = 0
    for y in range(t, b):
        for x in range(l, r):
            total += 1
            hits += near(im.getpixel((x, y)), rgb)
    return hits / total if total else 0.0


def count(im, rgb):
    return sum(1 for p in im.getdata() if near(p, rgb, 2))


def hooks_ok(p):
    if p.get("hooks") != "ok":
        raise AssertionError("dialogs and messages: " + p.get("hooks", "?"))


def desk(p):
    im = picture(p["file"])
    want = tuple(ints(p["size"]))
    assert im.size == want, f"picture {im.size}, want the desktop's {want}"
    l, t, r, b = ints(p["win"])
    s = share(im, (l + 4, t + 4, r - 4, b - 4), ints(p["rgb"]))
    assert s >= 0.9, f"{s:.0%} of the window's rectangle has its colour"
    hooks_ok(p)
    return f"{im.size[0]}x{im.size[1]}, {s:.0%} of the window's rectangle in its colour"


def waited_alone(p):
    """The wait for a window in front began with none of the others there."""
    assert p.get("watch") != "unfinished", "the capture ended before the window in front changed as planned"
    front = p.get("front", "?")
    assert front in ("frame", "none"), f"\"{front}\" was in front before the wait began"


def clicked(p):
    waited_alone(p)
    assert p.get("by") == "click" and int(p.get("clicks", "0")) > 0, \
        f"the click did not bring the window to the front ({p.get('by')}, {p.get('clicks')} clicks)"
    im = picture(p["file"])
    l, t, r, b = ints(p["win"])
    assert im.size == (r - l, b - t), f"picture {im.size}, want the window's {(r - l, b - t)}"
    s = share(im, (0, 0) + im.size, ints(p["rgb"]))
    assert s >= 0.9, f"only {s:.0%} of the picture is the window's colour"
    hooks_ok(p)
    return f"{im.size[0]}x{im.size[1]} (the window's size), {s:.0%} in its colour, after the click"


def text(p):
    im = picture(p["file"])
    want = tuple(ints(p["size"]))
    assert int(p["lines"]) == 4 and int(p["lasty"]) > 0, f"the text's last line: {p['lines']} lines, y {p['lasty']}"
    assert im.size == want, f"picture {im.size}, want {want} (last line at y {p['lasty']} + 50)"
    hooks_ok(p)
    return f"{im.size[0]}x{im.size[1]}: cut 50 below the last line's top (y {p['lasty']})"


def region(p):
    im = picture(p["file"])
    want = tuple(ints(p["size"]))
    assert int(p["frameshown"]) > 0, "the region's frame was not on the screen before the capture"
    assert im.size == want, f"picture {im.size}, want the region with its margins {want} (region {p['sel']})"
    rgb = ints(p["rgb"])
    w, h = im.size
    s = share(im, (0, 0, w, h), rgb)
    edges = [share(im, box, rgb) for box in ((0, 0, w, 1), (0, h - 1, w, h), (0, 0, 1, h), (w - 1, 0, w, h))]
    assert s >= 0.98 and min(edges) >= 0.9, \
        f"{s:.0%} of the picture and {min(edges):.0%} of its worst edge are the window under the region"
    frame = count(im, ints(p["frame"]))
    assert frame == 0, f"{frame} pixels of the region's frame in the picture"
    hooks_ok(p)
    return f"{w}x{h}, the region's place exactly; no frame pixel (it showed {p['frameshown']} before)"


def flat(p):
    assert p["written"] == "0" and not os.path.exists(os.path.join(folder, p["file"])), "a picture was written"
    hooks_ok(p)
    return "\"Eror\", no picture"


def series_files(p, n):
    l, t, r, b = ints(p["win"])
    for k in range(1, n + 1):
        name = f"{p['base']}_{k:04d}.{p['ext']}"
        im = picture(name)
        assert im.size == (r - l, b - t), f"{name}: {im.size}, want the window's {(r - l, b - t)}"
        s = share(im, (0, 0) + im.size, ints(p["rgb"]))
        assert s >= 0.9, f"{name}: only {s:.0%} in the window's colour"
    after = f"{p['base']}_{n + 1:04d}.{p['ext']}"
    assert not os.path.exists(os.path.join(folder, after)), f"{after} was written too"


def series(p):
    n = int(p["count"])
    series_files(p, n)
    hooks_ok(p)
    return f"{n} pictures of the window, nothing after, in {p['ms']} ms"


def seriesend(p):
    n = int(p["count"])
    waited_alone(p)
    assert p.get("switched") is not None, "the other window did not come to the front"
    series_files(p, n)
    hooks_ok(p)
    return f"ended after {n} of {p['planned']} pictures (the other window came {p['switched']} ms after the wait began)"


failed = 0
for name, check in (("desk", desk), ("clicked", clicked), ("text", text), ("region", region), ("flat", flat),
                    ("series", series), ("seriesend", seriesend)):
    p = phases.get(name)
    try:
        if p is None:
            raise AssertionError("no line from the program")
        if "error" in p:
            raise AssertionError(p["error"].replace("_", " "))
        print(f"{name}: ok, {check(p)}")
    except (AssertionError, OSError, KeyError, ValueError) as e:
        failed += 1
        print(f"{name}: FAILED, {e}")
sys.exit(1 if failed else 0)
PY
status=$?
[ $unfinished -eq 0 ] || exit 1
[ $status -eq 0 ] && echo "pictures: $out.dir"
exit $status
