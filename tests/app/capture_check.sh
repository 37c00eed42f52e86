#!/usr/bin/env bash
# Outside tools around the capture tests of test_appcapture.
#   capture_check.sh png DIR  Pillow opens DIR/capture_png/window.png (written
#                             by the program) and finds the size given in
#                             window.size ("width height")
set -u
case "$1" in
  png)
    /usr/bin/python3 -c 'import PIL' 2>/dev/null || exit 77
    /usr/bin/python3 - "$2/capture_png" <<'PY'
import sys
from PIL import Image
d = sys.argv[1]
try:
    want = tuple(int(v) for v in open(f"{d}/window.size").read().split())
    im = Image.open(f"{d}/window.png")
    im.load()
except (OSError, ValueError) as e:
    print(e)
    sys.exit(1)
if im.size != want or im.mode != "RGB":
    print(f"window.png: {im.size} {im.mode}, want {want} RGB")
    sys.exit(1)
PY
    ;;
  *)
    echo "usage: $0 png DIR" >&2
    exit 2 ;;
esac
