#!/bin/sh
# Has LibreOffice make a PDF of Japanese text (its fonts embedded as subsets
# with ToUnicode maps), with a private profile in the output folder; the PDF
# is kept by the hash of its source.
#   make_pdf_cmap_fixture.sh OUTDIR   -> OUTDIR/lo_japanese.pdf
set -e
out=$1
mkdir -p "$out"
exec 9>"$out/.lock"
flock 9
src="$out/lo_japanese.fodt"
cat > "$src" <<'FODT'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:font-face-decls>
 <style:font-face style:name="IPAMincho" svg:font-family="IPAMincho" style:font-family-generic="roman"/>
 <style:font-face style:name="IPAGothic" svg:font-family="IPAGothic" style:font-family-generic="swiss"/>
</office:font-face-decls>
<office:automatic-styles>
 <style:style style:name="P1" style:family="paragraph"><style:text-properties style:font-name-asian="IPAMincho" style:language-asian="ja" style:country-asian="JP"/></style:style>
 <style:style style:name="P2" style:family="paragraph"><style:text-properties style:font-name-asian="IPAGothic" style:language-asian="ja" style:country-asian="JP"/></style:style>
</office:automatic-styles>
<office:body><office:text>
<text:p>Latin words, digits 0123456789 and signs (+-*/=).</text:p>
<text:p text:style-name="P1">日本語のテキストです。漢字、ひらがな、カタカナ、記号「」・ー。</text:p>
<text:p text:style-name="P2">東京都千代田区丸の内一丁目　第２章　表と図の説明</text:p>
</office:text></office:body></office:document>
FODT
hash=$(sha256sum "$src" | cut -c1-16)
cached="$out/cache-$hash.pdf"
if [ ! -s "$cached" ]; then
  rm -rf "$out/convert"
  soffice -env:UserInstallation="file://$out/profile" --headless --convert-to pdf \
    --outdir "$out/convert" "$src" >/dev/null 2>&1
  mv "$out/convert/lo_japanese.pdf" "$cached"
fi
cp "$cached" "$out/lo_japanese.pdf"
