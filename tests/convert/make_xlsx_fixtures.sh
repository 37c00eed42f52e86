#!/bin/sh
# Makes the .xlsx fixtures in OUTDIR with make_xlsx_books.py (openpyxl), with
# the expected texts and openpyxl's read-back beside each. Kept while the
# scripts are unchanged.
#
# usage: make_xlsx_fixtures.sh OUTDIR
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
mkdir -p "$out"
exec 9>"$out/.lock"
flock 9
stamp=$(cat "$here/make_xlsx_books.py" "$here/make_xlsx_fixtures.sh" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then exit 0; fi
rm -f "$out"/*.xlsx "$out"/*.csv
"$py" "$here/make_xlsx_books.py" "$out"
echo "$stamp" > "$out/stamp"
