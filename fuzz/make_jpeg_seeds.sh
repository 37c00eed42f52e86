#!/bin/sh
# Makes the seed inputs of the JPEG fuzz targets: small cjpeg files of every
# sampling, with restart intervals and optimised tables, from an ImageMagick
# plasma, plus the golden encodes of our own encoder; planes for the round
# trip in raw and picture mode.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 24x20 -seed 3 plasma:fractal -depth 8 "ppm:$tmp/p.ppm"
for t in jpeg_decode jpeg_diff; do
  d="$root/fuzz/corpus/$t"
  mkdir -p "$d"
  cjpeg -quality 80 -sample 2x2 "$tmp/p.ppm" > "$d/seed_420.jpg"
  cjpeg -quality 80 -sample 2x1 "$tmp/p.ppm" > "$d/seed_422.jpg"
  cjpeg -quality 80 -sample 1x1 "$tmp/p.ppm" > "$d/seed_444.jpg"
  cjpeg -quality 80 -grayscale "$tmp/p.ppm" > "$d/seed_grey.jpg"
  cjpeg -quality 80 -restart 1b "$tmp/p.ppm" > "$d/seed_restart.jpg"
  cjpeg -quality 80 -optimize "$tmp/p.ppm" > "$d/seed_optimize.jpg"
  cjpeg -progressive "$tmp/p.ppm" > "$d/seed_progressive.jpg"
  cp "$root"/tests/image/data/golden_*.jpg "$d/"
done
d="$root/fuzz/corpus/jpeg_roundtrip"
mkdir -p "$d"
head -c 300 "$tmp/p.ppm" | tail -c 200 > "$d/seed_plasma"
printf '\000\000\003' > "$d/seed_1x1"
printf '\077\077\002abcdefgh' > "$d/seed_64x64"
# Picture mode (flags bit 3): grid values from the plasma's bytes.
{ printf '\077\057\373\002'; head -c 400 "$tmp/p.ppm" | tail -c 300; } > "$d/seed_picture_l3"
{ printf '\050\020\011\004'; head -c 400 "$tmp/p.ppm" | tail -c 300; } > "$d/seed_picture_l1"
{ printf '\020\077\352\000'; head -c 200 "$tmp/p.ppm" | tail -c 100; } > "$d/seed_picture_l2"
