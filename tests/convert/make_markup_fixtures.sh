#!/bin/sh
# Makes the markup engine's LibreOffice fixture in OUTDIR: a flat ODF
# spreadsheet with merged cells (column and row spans) and LibreOffice's HTML
# of it (merged.html). Kept while this script is unchanged.
#
# usage: make_markup_fixtures.sh OUTDIR
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
exec 9>"$out/.lock"
flock 9
stamp=$(cat "$here/make_markup_fixtures.sh" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ] && [ -s "$out/merged.html" ]; then exit 0; fi
rm -f "$out/merged.html" "$out/merged.fods"
cell() { printf '<table:table-cell office:value-type="string"%s><text:p>%s</text:p></table:table-cell>' "$2" "$1"; }
cov='<table:covered-table-cell/>'
{
  printf '%s\n' '<?xml version="1.0" encoding="UTF-8"?>'
  printf '%s' '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
  printf '%s' ' xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"'
  printf '%s' ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
  printf '%s\n' ' office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">'
  printf '%s' '<office:body><office:spreadsheet><table:table table:name="Sheet1">'
  printf '%s' '<table:table-column table:number-columns-repeated="4"/>'
  printf '<table:table-row>%s%s%s%s</table:table-row>' "$(cell Item)" "$(cell Qty)" "$(cell Note)" "$(cell Extra)"
  printf '<table:table-row>%s%s%s%s</table:table-row>' "$(cell Tall ' table:number-rows-spanned="2" table:number-columns-spanned="1"')" \
    "$(cell one)" "$(cell Wide ' table:number-columns-spanned="2" table:number-rows-spanned="1"')" "$cov"
  printf '<table:table-row>%s%s%s%s</table:table-row>' "$cov" "$(cell two)" "$(cell b)" "$(cell c)"
  printf '<table:table-row>%s%s%s%s</table:table-row>' "$(cell Block ' table:number-columns-spanned="2" table:number-rows-spanned="2"')" \
    "$cov" "$(cell x)" "$(cell y)"
  printf '<table:table-row>%s%s%s%s</table:table-row>' "$cov" "$cov" "$(cell p)" "$(cell q)"
  printf '<table:table-row>%s%s%s%s</table:table-row>' "$(cell last1)" "$(cell last2)" "$(cell last3)" "$(cell last4)"
  printf '%s\n' '</table:table></office:spreadsheet></office:body></office:document>'
} >"$out/merged.fods"
profile="file://$out/lo-profile"
. "$here/lo_retry.sh"
cd "$out"
lo merged.html -env:UserInstallation="$profile" --headless --convert-to "html:HTML (StarCalc)" --outdir "$out" merged.fods
echo "$stamp" >"$out/stamp"
