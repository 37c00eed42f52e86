#!/bin/sh
# Makes the pictures and JPEG files the JPEG codec tests compare against:
#   make_jpegs.sh DIR decoder|encoder|cmyk|refusals
# Sources come from ImageMagick (plasma with a fixed seed, the built-in rose);
# JPEG files from cjpeg; reference decodes from djpeg -dct int -nosmooth.
set -eu
dir=$1
what=$2
mkdir -p "$dir"
cd "$dir"

plasma() {  # name WxH
  convert -size "$2" -seed 7 plasma:fractal -blur 0x1 -depth 8 "ppm:$1"
}

case "$what" in
decoder)
  plasma big.ppm 641x479
  convert big.ppm -crop 17x17+100+100 +repage -depth 8 ppm:s17.ppm
  convert big.ppm -crop 1x1+200+200 +repage -depth 8 ppm:s1.ppm
  convert big.ppm -resize 1000x3! -depth 8 ppm:s1000x3.ppm
  for src in big s17 s1 s1000x3; do
    for q in 75 90; do
      cjpeg -quality $q -sample 2x2 "$src.ppm" > "${src}_q${q}_420.jpg"
      cjpeg -quality $q -sample 2x1 "$src.ppm" > "${src}_q${q}_422.jpg"
      cjpeg -quality $q -sample 1x1 "$src.ppm" > "${src}_q${q}_444.jpg"
      cjpeg -quality $q -grayscale "$src.ppm" > "${src}_q${q}_grey.jpg"
    done
    cjpeg -quality 85 -restart 1 "$src.ppm" > "${src}_restart.jpg"
    cjpeg -quality 85 -restart 1 -grayscale "$src.ppm" > "${src}_restart_grey.jpg"
    cjpeg -quality 85 -optimize "$src.ppm" > "${src}_optimize.jpg"
    cjpeg -quality 85 -optimize -sample 2x1 -restart 3b "$src.ppm" > "${src}_optrestart.jpg"
  done
  for f in *.jpg; do
    djpeg -dct int -nosmooth -ppm "$f" > "${f%.jpg}.ref.ppm"
  done
  ;;
cmyk)
  convert -size 40x24 'xc:cmyk(20%,40%,60%,70%)' -colorspace CMYK -quality 90 cmyk.jpg
  cp cmyk.jpg cmyk_ps.jpg
  exiftool -q -overwrite_original -IPTC:Keywords=flat cmyk_ps.jpg
  /usr/bin/python3 -c "
from PIL import Image
for n in ('cmyk', 'cmyk_ps'):
    im = Image.open(n + '.jpg')
    print(n, im.mode, *im.getpixel((5, 5)))
" > cmyk_values.txt
  ;;
refusals)
  plasma p.ppm 64x48
  cjpeg -progressive p.ppm > progressive.jpg
  cjpeg -arithmetic p.ppm > arithmetic.jpg
  cjpeg -restart 1 p.ppm > restart.jpg
  cjpeg p.ppm > plain.jpg
  ;;
encoder)
  plasma plasma.ppm 640x480
  convert rose: -resize 640x480! -depth 8 ppm:rose.ppm
  convert plasma.ppm -crop 17x17+10+10 +repage -depth 8 ppm:s17.ppm
  convert plasma.ppm -crop 1x1+10+10 +repage -depth 8 ppm:s1.ppm
  ;;
*)
  echo "unknown kind: $what" >&2
  exit 2
  ;;
esac
