#!/bin/sh
# LibreOffice prints a workbook the export wrote (DIR/CASE.xlsx) to PDF,
# pdftotext reads the pages back in UTF-8, and xlsx_oracle.py checks that
# every Japanese cell text of the first sheet of the table it was written
# from (DIR/CASE.csv) is there. LibreOffice runs on a private profile in DIR
# (in the build tree), tried again when it converts nothing.
#
# usage: xlsx_pdf_check.sh DIR CASE
set -e
dir=$1
name=$2
here=$(cd "$(dirname "$0")" && pwd)
out="$dir/lo-pdf"
rm -rf "$out"
mkdir -p "$out"
. "$here/../convert/lo_retry.sh"
lo "$out/$name.pdf" -env:UserInstallation="file://$dir/lo-profile" --headless --convert-to pdf \
  --outdir "$out" "$dir/$name.xlsx"
pdftotext -enc UTF-8 "$out/$name.pdf" "$out/$name.txt"
exec /usr/bin/python3 "$here/xlsx_oracle.py" pdfcheck "$dir/$name.csv" "$out/$name.txt"
