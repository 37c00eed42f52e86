#!/bin/sh
# Writes a flat ODF text with a font table, styles, Japanese text and a table
# of two columns (1,760 twips each: stops at 1,760 and 3,520), and has
# LibreOffice save it as RTF. The conversion runs with a private profile in
# the output folder and is kept by the hash of its source.
#   make_rtf_fixtures.sh OUTDIR   -> OUTDIR/rtf_sample.rtf, OUTDIR/rtf_sample.fodt
set -e
out=$1
mkdir -p "$out"
# Test cases run as processes of their own, several at once: one makes the
# files while the others wait, then find them made.
exec 9>"$out/.lock"
flock 9
src="$out/rtf_sample.fodt"
cat > "$src" <<'FODT'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:font-face-decls>
 <style:font-face style:name="Liberation Serif" svg:font-family="'Liberation Serif'" style:font-family-generic="roman"/>
 <style:font-face style:name="IPAMincho" svg:font-family="IPAMincho" style:font-family-generic="roman"/>
</office:font-face-decls>
<office:styles>
 <style:style style:name="Quotations" style:family="paragraph" style:display-name="Quoted Passage">
  <style:text-properties style:font-name="Liberation Serif" fo:font-style="italic"/>
 </style:style>
</office:styles>
<office:automatic-styles>
 <style:style style:name="T1" style:family="table"><style:table-properties style:width="2.4444in" table:align="left"/></style:style>
 <style:style style:name="T1.A" style:family="table-column"><style:table-column-properties style:column-width="1.2222in"/></style:style>
 <style:style style:name="P1" style:family="paragraph"><style:text-properties fo:font-weight="bold"/></style:style>
 <style:style style:name="P2" style:family="paragraph"><style:text-properties style:font-name-asian="IPAMincho" style:language-asian="ja" style:country-asian="JP"/></style:style>
</office:automatic-styles>
<office:body><office:text>
<text:p>Plain words of the first paragraph.</text:p>
<text:p text:style-name="P1">A bold paragraph follows it.</text:p>
<text:p text:style-name="Quotations">Quoted text in a named style.</text:p>
<text:p text:style-name="P2">日本語のテキストです。</text:p>
<table:table table:name="T1" table:style-name="T1"><table:table-column table:style-name="T1.A" table:number-columns-repeated="2"/>
<table:table-row><table:table-cell><text:p>ab</text:p></table:table-cell><table:table-cell><text:p>cd</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p>e</text:p></table:table-cell><table:table-cell><text:p>f</text:p></table:table-cell></table:table-row>
</table:table>
<text:p>The last line.</text:p>
</office:text></office:body></office:document>
FODT
hash=$(sha256sum "$src" | cut -c1-16)
cached="$out/cache-$hash.rtf"
if [ ! -s "$cached" ]; then
  rm -rf "$out/convert"
  soffice -env:UserInstallation="file://$out/profile" --headless --convert-to rtf \
    --outdir "$out/convert" "$src" >/dev/null 2>&1
  mv "$out/convert/rtf_sample.rtf" "$cached"
fi
cp "$cached" "$out/rtf_sample.rtf"
