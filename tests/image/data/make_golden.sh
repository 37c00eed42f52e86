#!/bin/sh
# Remakes the golden encodes and checks them with outside tools:
#   tests/image/data/make_golden.sh build/native
# Each file must pass jpeginfo -c and decode with djpeg with nothing on stderr.
set -eu
build=${1:-build/native}
here=$(cd "$(dirname "$0")" && pwd)
cmake --build "$build" --target jpeg_golden_gen
"$build/tests/image/jpeg_golden_gen" "$here"
for f in "$here"/golden_*.jpg; do
  jpeginfo -c "$f" | grep -q ' OK'
  err=$(djpeg -ppm "$f" 2>&1 >/dev/null)
  [ -z "$err" ] || { echo "$f: $err" >&2; exit 1; }
done
echo "golden files made and checked"
