#!/bin/sh
# Makes the small files whose decoded planes the decoder keeps fixed
# (JpegDecodedPlanes in jpeg_decoder_output_test.cpp): a 40x28 plasma written
# by cjpeg at every sampling the decoder meets, greyscale, with restart
# intervals and optimised tables, and by ImageMagick as CMYK.
#   tests/image/data/make_decode_set.sh
# Remaking them changes their bytes; the digests in the test must then be
# taken again from a decoder known to be right.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 40x28 -seed 11 plasma:fractal -depth 8 "ppm:$tmp/p.ppm"
cjpeg -quality 85 -sample 2x2 "$tmp/p.ppm" > "$here/dec_420.jpg"
cjpeg -quality 60 -sample 2x1 "$tmp/p.ppm" > "$here/dec_422.jpg"
cjpeg -quality 95 -sample 1x1 "$tmp/p.ppm" > "$here/dec_444.jpg"
cjpeg -quality 85 -sample 1x2 "$tmp/p.ppm" > "$here/dec_440.jpg"
cjpeg -quality 85 -sample 3x1 "$tmp/p.ppm" > "$here/dec_311.jpg"
cjpeg -quality 85 -sample 4x2 "$tmp/p.ppm" > "$here/dec_411.jpg"
cjpeg -quality 85 -sample 2x2,2x1,1x2 "$tmp/p.ppm" > "$here/dec_mixed.jpg"
cjpeg -quality 85 -sample 1x1,2x2,1x1 "$tmp/p.ppm" > "$here/dec_widecb.jpg"
cjpeg -quality 85 -sample 2x2,1x1,2x1 "$tmp/p.ppm" > "$here/dec_uneven.jpg"
cjpeg -quality 100 -sample 2x2 "$tmp/p.ppm" > "$here/dec_q100.jpg"
cjpeg -quality 80 -grayscale "$tmp/p.ppm" > "$here/dec_grey.jpg"
cjpeg -quality 80 -restart 1 "$tmp/p.ppm" > "$here/dec_restart.jpg"
cjpeg -quality 80 -optimize -restart 2b "$tmp/p.ppm" > "$here/dec_optimize.jpg"
convert "$tmp/p.ppm" -colorspace CMYK -quality 90 "$here/dec_cmyk.jpg"
echo "decode set made"
