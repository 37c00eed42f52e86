#!/bin/sh
# Writes pdf_open_data.h beside this script: PDFs made by reportlab and
# LibreOffice (make_pdf_fixtures.sh) and the non-empty lines of pdftotext's
# layout text of each, blanks removed, in code page 932. The Wine test
# "apppdfopen" opens each file and compares its lines with these.
set -e
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$here/../convert/make_pdf_fixtures.sh" "$work" >/dev/null
/usr/bin/python3 - "$work" "$here/pdf_open_data.h" <<'PY'
import sys
work, out = sys.argv[1], sys.argv[2]
def arr(name, data):
    return "const unsigned char %s[] = {%s};\n" % (name, ",".join(str(b) for b in data))
def lit(b):
    return 'std::string("%s", %d)' % ("".join("\\x%02x" % c for c in b), len(b))
files = [("kThreeLines", "three_lines"), ("kCidH", "cid_h"), ("kLoJapanese", "lo_japanese"), ("kTwoPages", "two_pages")]
with open(out, "w") as f:
    f.write("// Made by pdf_open_make_data.sh with reportlab, LibreOffice and pdftotext; do not edit.\n")
    f.write("#pragma once\n#include <string>\n#include <vector>\nnamespace pdfopendata {\n")
    for name, base in files:
        data = open("%s/%s.pdf" % (work, base), "rb").read()
        f.write(arr(name, data))
        pages = []
        p = 1
        while True:
            try:
                t = open("%s/%s.p%d.txt" % (work, base, p), "rb").read()
            except OSError:
                break
            lines = [bytes(c for c in l if c not in b" \t\r\f") for l in t.split(b"\n")]
            pages.append([l for l in lines if l])
            p += 1
        f.write("inline std::vector<std::vector<std::string>> %sPages() {\n  return {\n" % name)
        for pg in pages:
            f.write("    {%s},\n" % ", ".join(lit(l) for l in pg))
        f.write("  };\n}\n")
    f.write("}  // namespace pdfopendata\n")
PY
