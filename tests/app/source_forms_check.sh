#!/usr/bin/env bash
# Reads the enciphered form the running program saved (key code "1234") with
# the independent reader and checks the edited text is in it.
#   source_forms_check.sh READER FORM
set -u
[ -x /usr/bin/python3 ] || exit 77
[ -f "$2" ] || { echo "no saved form: $2" >&2; exit 1; }
out=$(mktemp)
trap 'rm -f "$out"' EXIT
flags=$(/usr/bin/python3 "$1" open "$2" "$out" --key 1234) || { echo "refused" >&2; exit 1; }
[ "$flags" = 0 ] || { echo "flags $flags" >&2; exit 1; }
# "追記" and "報告書" in Shift-JIS.
python_check='import sys; t=open(sys.argv[1],"rb").read().decode("cp932"); sys.exit(0 if t.startswith("追記\r\n報告書\r\n") else 1)'
/usr/bin/python3 -c "$python_check" "$out" || { echo "text differs" >&2; exit 1; }
