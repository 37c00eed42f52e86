#!/bin/sh
# Makes the merge's template workbooks in OUTDIR: make_merge_books.py writes
# one with openpyxl, LibreOffice saves it again (tried again while it makes
# nothing, lo_retry.sh); both unpacked beside them. Kept while the scripts
# are unchanged.
#
# usage: make_merge_books.sh OUTDIR
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
mkdir -p "$out"
exec 9>"$out/.lock"
flock 9
stamp=$(cat "$here/make_merge_books.py" "$here/make_merge_books.sh" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then exit 0; fi
rm -rf "$out"/*.xlsx "$out/openpyxl" "$out/libreoffice" "$out/lo"
. "$here/../../convert/lo_retry.sh"
"$py" "$here/make_merge_books.py" "$out" openpyxl
mkdir -p "$out/lo"
lo "$out/lo/openpyxl.xlsx" "-env:UserInstallation=file://$(cd "$out" && pwd)/lo-profile" --headless \
  --convert-to "xlsx:Calc MS Excel 2007 XML" --outdir "$out/lo" "$out/openpyxl.xlsx"
mv "$out/lo/openpyxl.xlsx" "$out/libreoffice.xlsx"
"$py" "$here/make_merge_books.py" "$out" unpack libreoffice
echo "$stamp" > "$out/stamp"
