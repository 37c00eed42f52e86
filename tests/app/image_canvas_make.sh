#!/usr/bin/env bash
# Makes the marked rich texts of test_appimagecanvas in DIR/image_canvas:
# IMAGE03.jpg (60 x 40 red) and IMAGE05.jpg (30 x 20 blue) by ImageMagick,
# marked.rtf with the markers of pictures 3 (a box) and 5 (its own size), and
# marked.rtzx, the text and its pictures packed by zip.
set -u
command -v convert >/dev/null && command -v zip >/dev/null || exit 77
d="$1/image_canvas"
rm -rf "$d" && mkdir -p "$d" || exit 1
convert -size 60x40 xc:'#FF0000' -quality 95 "$d/IMAGE03.jpg" || exit 1
convert -size 30x20 xc:'#0000FF' -quality 95 "$d/IMAGE05.jpg" || exit 1
printf '%s\r\n' '{\rtf1\ansi\deff0{\fonttbl{\f0\fmodern Courier New;}}\f0\fs20' \
  'Title line\par' \
  '#%S03 picture three\par' '\par' '\par' '\par' '\par' '\par' \
  '          #%E03\par' \
  '#%P05 picture five\par' '#%S00 #%Sx1 #%Q05\par' 'end\par' '}' > "$d/marked.rtf"
(cd "$d" && zip -q -X marked.rtzx marked.rtf IMAGE03.jpg IMAGE05.jpg) || exit 1
