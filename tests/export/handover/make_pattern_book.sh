#!/bin/sh
# Makes pattern mode's template workbook OUTDIR/pattern.xls: LibreOffice
# converts a UTF-8 CSV whose cells hold "⊃RRKK___" placeholders into the
# binary workbook format. Kept while this script is unchanged.
#
# usage: make_pattern_book.sh OUTDIR
set -e
out=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../convert/lo_retry.sh"
mkdir -p "$out"
exec 9>"$out/.lock"
flock 9
stamp=$(sha256sum < "$here/make_pattern_book.sh" | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ] && [ -s "$out/pattern.xls" ]; then exit 0; fi
rm -f "$out/pattern.xls" "$out/pattern.csv"
printf 'Title,\342\212\2030101___,\342\212\2030102___\nlabel,\342\212\2030201___,\342\212\2030202___\nend,\342\212\2030301___,\342\212\2030501___\n' > "$out/pattern.csv"
lo "$out/pattern.xls" --headless "-env:UserInstallation=file://$out/profile" --infilter=CSV:44,34,76,1 \
  --convert-to xls --outdir "$out" "$out/pattern.csv"
echo "$stamp" > "$out/stamp"
