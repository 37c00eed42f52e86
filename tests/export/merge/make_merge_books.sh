#!/bin/sh
# Makes the merge's template workbooks in OUTDIR with make_merge_books.py
# (openpyxl, then LibreOffice), unpacked beside them. Kept while the scripts
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
"$py" "$here/make_merge_books.py" "$out"
echo "$stamp" > "$out/stamp"
