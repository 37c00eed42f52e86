#!/bin/sh
# Makes the fixtures of make_pdf_pictures.py in OUTDIR and the pictures
# pdfimages extracts from each (NAME.pi-000.png). Kept while the two scripts
# are unchanged.
#
# usage: make_pdf_pictures.sh OUTDIR
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
# Test cases run as processes of their own, several at once: one makes the
# files while the others wait, then find them made.
exec 9>"$out/.lock"
flock 9
stamp=$(cat "$here/make_pdf_pictures.py" "$here/make_pdf_pictures.sh" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then exit 0; fi
rm -f "$out"/*.pdf "$out"/*.png "$out"/*.txt
/usr/bin/python3 "$here/make_pdf_pictures.py" "$out"
cd "$out"
for f in *.pdf; do
  pdfimages -png "$f" "${f%.pdf}.pi" 2>/dev/null || true
done
qpdf --qdf --object-streams=disable lab.pdf lab.qdf.pdf
qpdf --qdf --stream-data=uncompress --object-streams=disable lab.pdf lab.plain.pdf
echo "$stamp" > "$out/stamp"
