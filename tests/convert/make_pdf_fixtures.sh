#!/bin/sh
# Makes the PDF fixtures in OUTDIR: the reportlab files and flat-ODF sources
# of make_pdf_docs.py, LibreOffice's PDFs of those sources, qpdf's variants
# of every PDF (objects packed into object streams: NAME.objstm.pdf; streams
# left uncompressed: NAME.plain.pdf; encrypted: three_lines.enc.pdf) and
# pdftotext's layout text of each page of every file in code page 932
# (NAME.pN.txt). Kept while this script and make_pdf_docs.py are unchanged.
#
# usage: make_pdf_fixtures.sh OUTDIR
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
mkdir -p "$out"
# Test cases run as processes of their own, several at once: one makes the
# files while the others wait, then find them made.
exec 9>"$out/.lock"
flock 9
stamp=$(cat "$here/make_pdf_docs.py" "$here/make_pdf_fixtures.sh" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then exit 0; fi
rm -f "$out"/*.pdf "$out"/*.txt
"$py" "$here/make_pdf_docs.py" "$out"
cd "$out"
soffice -env:UserInstallation="file://$out/lo-profile" --headless --convert-to pdf --outdir "$out" \
  lo_japanese.fodt lo_table.fodt >/dev/null 2>&1 || true
for f in *.pdf; do
  b=${f%.pdf}
  qpdf --object-streams=generate "$f" "$b.objstm.pdf" || [ $? -eq 3 ]
  qpdf --stream-data=uncompress --object-streams=disable "$f" "$b.plain.pdf" || [ $? -eq 3 ]
done
qpdf --encrypt user owner 256 -- three_lines.pdf three_lines.enc.pdf
for f in *.pdf; do
  b=${f%.pdf}
  n=$(pdfinfo "$f" 2>/dev/null | sed -n 's/^Pages: *//p')
  i=1
  while [ "$i" -le "${n:-0}" ]; do
    pdftotext -layout -f "$i" -l "$i" "$f" - | iconv -c -f UTF-8 -t CP932 > "$b.p$i.txt"
    i=$((i + 1))
  done
done
echo "$stamp" > "$out/stamp"
