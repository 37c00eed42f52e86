#!/usr/bin/env bash
# The picture of a ruled table's picture cell, made and read by ImageMagick.
#   picture_cell_check.sh make DIR   writes DIR/picture_cell.png (13 x 7)
#   picture_cell_check.sh check DIR  identify reads DIR/picture_cell.bmp (the
#                                    scratch bitmap the program wrote) as a
#                                    BMP of the PNG's size
set -u
command -v convert >/dev/null && command -v identify >/dev/null || exit 77
case "$1" in
  make)
    rm -f "$2/picture_cell.png" "$2/picture_cell.bmp"
    convert -size 13x7 gradient:red-blue "PNG24:$2/picture_cell.png" ;;
  check)
    [ -f "$2/picture_cell.bmp" ] || { echo "no scratch bitmap was kept" >&2; exit 1; }
    got=$(identify -format '%m %w %h' "$2/picture_cell.bmp" 2>&1)
    want=$(identify -format '%w %h' "$2/picture_cell.png")
    case "$got" in
      "BMP $want"|"BMP3 $want") ;;
      *) echo "identify: $got, want a BMP of $want" >&2; exit 1 ;;
    esac ;;
esac
