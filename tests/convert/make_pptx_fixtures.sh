#!/bin/sh
# Makes the ".pptx" fixtures in OUTDIR: a LibreOffice-made .pptx from the
# flat-ODF presentation of make_pptx_docs.py (a private profile in the build
# tree), the words of each slide part (every a:t text, read with Python's
# XML parser, one word a line, UTF-8), LibreOffice's own PDF of the .pptx
# and pdftotext's text of it (pages parted by form feeds, UTF-8). Kept while
# these scripts are unchanged.
#
# usage: make_pptx_fixtures.sh OUTDIR
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
mkdir -p "$out"
exec 9>"$out/.lock"
flock 9
stamp=$(cat "$here/make_pptx_docs.py" "$here/make_pptx_fixtures.sh" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then exit 0; fi
rm -rf "$out"/*.pptx "$out"/*.txt "$out/pdf"
"$py" "$here/make_pptx_docs.py" "$out"
profile="file://$out/lo-profile"
. "$here/lo_retry.sh"
cd "$out"
lo pptx_slides.pptx -env:UserInstallation="$profile" --headless --convert-to pptx:"Impress MS PowerPoint 2007 XML" \
  --outdir "$out" pptx_slides.fodp
mkdir -p pdf
lo pdf/pptx_slides.pdf -env:UserInstallation="$profile" --headless --convert-to pdf --outdir "$out/pdf" pptx_slides.pptx
pdftotext -enc UTF-8 -layout pdf/pptx_slides.pdf pptx_slides.pdftotext.txt
"$py" - pptx_slides.pptx <<'PY'
import sys, zipfile
import xml.etree.ElementTree as ET
A = '{http://schemas.openxmlformats.org/drawingml/2006/main}t'
z = zipfile.ZipFile(sys.argv[1])
n = 1
while 'ppt/slides/slide%d.xml' % n in z.namelist():
    root = ET.fromstring(z.read('ppt/slides/slide%d.xml' % n))
    words = []
    for t in root.iter(A):
        words += (t.text or '').split()
    with open('pptx_slides.words%d.txt' % n, 'w', encoding='utf-8') as f:
        f.write('\n'.join(words) + '\n')
    n += 1
PY
echo "$stamp" > "$out/stamp"
