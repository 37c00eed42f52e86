#!/bin/sh
# Makes one flat-ODF workbook (two sheets: texts, whole numbers, two-decimal
# and grouped numbers, percentages, a General fraction, a date) and has
# LibreOffice save it as ".xls" and as ".xlsx" in OUTDIR (a private profile
# in the build tree). Kept while this script is unchanged.
#
# usage: make_two_forms.sh OUTDIR
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
exec 9>"$out/.lock"
flock 9
stamp=$(cat "$here/make_two_forms.sh" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then exit 0; fi
rm -f "$out"/two_forms.*
cat > "$out/two_forms.fods" <<'FODS'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <number:number-style style:name="N2"><number:number number:decimal-places="2" number:min-integer-digits="1"/></number:number-style>
 <number:number-style style:name="N4"><number:number number:decimal-places="2" number:min-integer-digits="1" number:grouping="true"/></number:number-style>
 <number:percentage-style style:name="P1"><number:number number:decimal-places="0" number:min-integer-digits="1"/><number:text>%</number:text></number:percentage-style>
 <style:style style:name="ce2" style:family="table-cell" style:data-style-name="N2"/>
 <style:style style:name="ce4" style:family="table-cell" style:data-style-name="N4"/>
 <style:style style:name="ceP" style:family="table-cell" style:data-style-name="P1"/>
</office:automatic-styles>
<office:body><office:spreadsheet>
<table:table table:name="Alpha">
 <table:table-row>
  <table:table-cell office:value-type="string"><text:p>name</text:p></table:table-cell>
  <table:table-cell office:value-type="string"><text:p>count</text:p></table:table-cell>
  <table:table-cell office:value-type="string"><text:p>price</text:p></table:table-cell>
  <table:table-cell office:value-type="string"><text:p>total</text:p></table:table-cell>
  <table:table-cell office:value-type="string"><text:p>share</text:p></table:table-cell>
 </table:table-row>
 <table:table-row>
  <table:table-cell office:value-type="string"><text:p>apple</text:p></table:table-cell>
  <table:table-cell office:value-type="float" office:value="12"><text:p>12</text:p></table:table-cell>
  <table:table-cell table:style-name="ce2" office:value-type="float" office:value="3.5"><text:p>3.50</text:p></table:table-cell>
  <table:table-cell table:style-name="ce4" office:value-type="float" office:value="1234567.25"><text:p>1,234,567.25</text:p></table:table-cell>
  <table:table-cell table:style-name="ceP" office:value-type="percentage" office:value="0.25"><text:p>25%</text:p></table:table-cell>
 </table:table-row>
 <table:table-row><table:table-cell/></table:table-row>
 <table:table-row>
  <table:table-cell office:value-type="string"><text:p>pear</text:p></table:table-cell>
  <table:table-cell office:value-type="float" office:value="7"><text:p>7</text:p></table:table-cell>
  <table:table-cell table:style-name="ce2" office:value-type="float" office:value="0.75"><text:p>0.75</text:p></table:table-cell>
  <table:table-cell table:style-name="ce4" office:value-type="float" office:value="-42"><text:p>-42.00</text:p></table:table-cell>
  <table:table-cell office:value-type="float" office:value="0.125"><text:p>0.125</text:p></table:table-cell>
 </table:table-row>
</table:table>
<table:table table:name="Beta">
 <table:table-row>
  <table:table-cell office:value-type="string"><text:p>only text</text:p></table:table-cell>
  <table:table-cell/>
  <table:table-cell office:value-type="float" office:value="100"><text:p>100</text:p></table:table-cell>
 </table:table-row>
</table:table>
</office:spreadsheet></office:body></office:document>
FODS
cd "$out"
soffice -env:UserInstallation="file://$out/lo-profile" --headless --convert-to xls:"MS Excel 97" --outdir "$out" \
  two_forms.fods >/dev/null 2>&1
soffice -env:UserInstallation="file://$out/lo-profile" --headless --convert-to xlsx:"Calc MS Excel 2007 XML" \
  --outdir "$out" two_forms.fods >/dev/null 2>&1
[ -f two_forms.xls ] && [ -f two_forms.xlsx ]
echo "$stamp" > "$out/stamp"
