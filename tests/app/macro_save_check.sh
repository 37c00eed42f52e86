#!/usr/bin/env bash
# Reads the rich text the running program saved with "savertf" through unrtf
# and checks that the table's cells are in it.
#   macro_save_check.sh G_RTF A_RTF
set -u
command -v unrtf >/dev/null || exit 77
for f in "$1" "$2"; do
  [ -f "$f" ] || { echo "not saved: $f" >&2; exit 1; }
  text=$(unrtf --text "$f" 2>/dev/null) || { echo "unrtf refused $f" >&2; exit 1; }
  for cell in name qty widget 42 gear small 7; do
    grep -q -- "$cell" <<<"$text" || { echo "$f: no \"$cell\" in:" >&2; echo "$text" >&2; exit 1; }
  done
done
# The "a" form has the quotes removed.
text=$(unrtf --text "$2" 2>/dev/null)
if grep -q '"gear' <<<"$text"; then echo "quotes kept in $2" >&2; exit 1; fi
exit 0
