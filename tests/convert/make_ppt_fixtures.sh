#!/bin/sh
# Makes the PowerPoint fixtures in OUTDIR: LibreOffice-made .ppt files from
# the flat-ODF presentations of make_ppt_docs.py (one batch, a private
# profile in the build tree), LibreOffice's own PDF of each .ppt and
# pdftotext's text of it (pages parted by form feeds, UTF-8). Kept while this
# script and the sources' script are unchanged.
#
# usage: make_ppt_fixtures.sh OUTDIR
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
mkdir -p "$out"
# Test cases run as processes of their own, several at once: one makes the
# files while the others wait, then find them made.
exec 9>"$out/.lock"
flock 9
stamp=$(cat "$here/make_ppt_docs.py" "$here/make_ppt_fixtures.sh" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then exit 0; fi
rm -rf "$out"/*.ppt "$out"/*.pdf "$out"/*.txt "$out/pdf"
"$py" "$here/make_ppt_docs.py" "$out"
profile="file://$out/lo-profile"
cd "$out"
soffice -env:UserInstallation="$profile" --headless --convert-to ppt:"MS PowerPoint 97" --outdir "$out" \
  ppt_slides.fodp ppt_frames.fodp >/dev/null 2>&1
mkdir -p pdf
soffice -env:UserInstallation="$profile" --headless --convert-to pdf --outdir "$out/pdf" \
  ppt_slides.ppt ppt_frames.ppt >/dev/null 2>&1
for d in ppt_slides ppt_frames; do
  pdftotext -enc UTF-8 -layout "pdf/$d.pdf" "$d.pdftotext.txt"
done
echo "$stamp" > "$out/stamp"
