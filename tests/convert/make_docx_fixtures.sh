#!/bin/sh
# Makes the ".docx" page fixtures in OUTDIR: the python-docx documents of
# make_docx_docs.py, LibreOffice's .docx of its flat-ODF text (one batch, a
# private profile in the build tree), LibreOffice's own text export of each
# .docx (lo-text/, UTF-8), and python-docx's read-back of each: the texts of
# the body's paragraphs and of the top-level tables' cells in order
# (<name>.words, UTF-8, one a line). Kept while this script and the sources'
# script are unchanged.
#
# usage: make_docx_fixtures.sh OUTDIR
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
mkdir -p "$out"
exec 9>"$out/.lock"
flock 9
stamp=$(cat "$here/make_docx_docs.py" "$here/make_docx_fixtures.sh" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then exit 0; fi
rm -rf "$out"/*.docx "$out"/*.words "$out/lo-text"
"$py" "$here/make_docx_docs.py" "$out"
profile="file://$out/lo-profile"
. "$here/lo_retry.sh"
cd "$out"
lo docx_frames.docx -env:UserInstallation="$profile" --headless --convert-to docx:"MS Word 2007 XML" --outdir "$out" \
  docx_frames.fodt
mkdir -p lo-text
lo lo-text/docx_frames.txt -env:UserInstallation="$profile" --headless --convert-to "txt:Text (encoded):UTF8" --outdir "$out/lo-text" \
  docx_pydocx.docx docx_frames.docx
"$py" - "$out" <<'PY'
import os, sys
import docx
from docx.table import Table
from docx.text.paragraph import Paragraph
out = sys.argv[1]
for name in ('docx_pydocx', 'docx_frames', 'docx_pages'):
    d = docx.Document(os.path.join(out, name + '.docx'))
    lines = []
    for child in d.element.body.iterchildren():
        if child.tag.endswith('}p'):
            lines.append(Paragraph(child, d).text)
        elif child.tag.endswith('}tbl'):
            for row in Table(child, d).rows:
                for cell in row.cells:
                    lines.append('\n'.join(p.text for p in cell.paragraphs))
    with open(os.path.join(out, name + '.words'), 'w', encoding='utf-8') as f:
        for line in lines:
            for w in line.split():
                f.write(w + '\n')
PY
echo "$stamp" > "$out/stamp"
