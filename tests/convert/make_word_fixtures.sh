#!/bin/sh
# Makes the Word fixtures in OUTDIR: LibreOffice-made .doc files from the
# flat-ODF sources of make_word_docs.py (one batch, a private profile in the
# build tree), LibreOffice's own text export of each .doc, catdoc's and
# antiword's texts, and each .doc's streams as olefile reads them
# (OUTDIR/streams/<doc>/<stream>); and with gsf createole two compound
# files whose "WordDocument" stream is RTF (word_rtf.doc of 5 KB, read
# through the FAT, word_rtf_small.doc below 4,096 bytes, in the mini-stream).
# Kept while this script and the sources' script are unchanged.
#
# usage: make_word_fixtures.sh OUTDIR
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
mkdir -p "$out"
# Test cases run as processes of their own, several at once: one makes the
# files while the others wait, then find them made.
exec 9>"$out/.lock"
flock 9
stamp=$(cat "$here/make_word_docs.py" "$here/make_word_fixtures.sh" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then exit 0; fi
rm -rf "$out/streams" "$out"/*.doc "$out"/*.txt
"$py" "$here/make_word_docs.py" "$out"
profile="file://$out/lo-profile"
cd "$out"
soffice -env:UserInstallation="$profile" --headless --convert-to doc:"MS Word 97" --outdir "$out" \
  word_small.fodt word_ascii.fodt word_large.fodt >/dev/null 2>&1
mkdir -p lo-text
soffice -env:UserInstallation="$profile" --headless --convert-to "txt:Text (encoded):UTF8" --outdir "$out/lo-text" \
  word_small.doc word_ascii.doc >/dev/null 2>&1
for d in word_small word_ascii word_large; do
  catdoc -d utf-8 -w "$d.doc" > "$d.catdoc.txt"
done
antiword -m UTF-8.txt word_large.doc > word_large.antiword.txt
"$py" - "$out" <<'PY'
import os, sys
import olefile
out = sys.argv[1]
for d in ('word_small', 'word_ascii', 'word_large'):
    ole = olefile.OleFileIO(os.path.join(out, d + '.doc'))
    target = os.path.join(out, 'streams', d)
    os.makedirs(target, exist_ok=True)
    for e in ole.listdir(streams=True, storages=False):
        if len(e) != 1:
            continue
        name = e[0].replace('\x01', '_').replace('\x05', '_')
        with open(os.path.join(target, name), 'wb') as f:
            f.write(ole.openstream(e).read())
PY
for form in big small; do
  rm -rf "rtf-$form" && mkdir -p "rtf-$form"
  printf '{\\rtf1\\ansi hello from rtf\\par}' > "rtf-$form/WordDocument"
  if [ $form = big ]; then head -c 5000 /dev/zero | tr '\0' ' ' >> "rtf-$form/WordDocument"; fi
done
gsf createole word_rtf.doc rtf-big/WordDocument >/dev/null
gsf createole word_rtf_small.doc rtf-small/WordDocument >/dev/null
echo "$stamp" > "$out/stamp"
