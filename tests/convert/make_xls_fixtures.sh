#!/bin/sh
# Makes the workbook fixtures in OUTDIR: the xlwt workbooks and crafted BIFF
# streams of make_xls_books.py, the LibreOffice-made xls_objects.xls from its
# flat-ODF source (a private profile in the build tree), xls2csv's reading
# of each workbook in UTF-8 and xlrd's as JSON. Kept while the scripts are
# unchanged.
#
# usage: make_xls_fixtures.sh OUTDIR
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
mkdir -p "$out"
exec 9>"$out/.lock"
flock 9
stamp=$(cat "$here/make_xls_books.py" "$here/make_xls_fixtures.sh" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then exit 0; fi
rm -f "$out"/*.xls "$out"/*.csv "$out"/*.json
"$py" "$here/make_xls_books.py" "$out"
cd "$out"
soffice -env:UserInstallation="file://$out/lo-profile" --headless --convert-to xls:"MS Excel 97" --outdir "$out" \
  xls_objects.fods >/dev/null 2>&1
"$py" "$here/make_xls_books.py" "$out" xlrd xls_objects.xls
for b in xls_formats xls_1904 xls_objects; do
  xls2csv -d utf-8 -c , -q 1 -b '
#SHEET
' "$b.xls" > "$b.csv"
done
echo "$stamp" > "$out/stamp"
