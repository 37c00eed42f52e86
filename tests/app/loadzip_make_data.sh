#!/bin/sh
# Writes loadzip_data.h beside this script: a ZIP made by zip (a Shift-JIS
# member name and a sub-folder) and an LZH made by jlha, and the files that
# unzip and lhasa extract from them (path below the target, bytes). The Wine
# test "loadzip" compares the program's extraction with those files.
set -e
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p src/sub lsrc/dir
sjis=$(printf '\225\\\216\232')
printf 'hello\r\n' > src/sub/a.txt
printf 'kanji name\r\n' > "src/$sjis.txt"
seq 1 600 > src/big.txt
(cd src && zip -qr ../t.zip "$sjis.txt" sub big.txt)
printf 'lha one\r\n' > lsrc/one.txt
seq 1 500 > lsrc/dir/two.txt
(cd lsrc && jlha a ../t.lzh one.txt dir/two.txt > /dev/null 2>&1)
mkdir zx lx
(cd zx && unzip -q ../t.zip)
(cd lx && lhasa xq ../t.lzh)
/usr/bin/python3 - "$here/loadzip_data.h" <<'PY'
import os, sys
def arr(name, data):
    body = ",".join(str(b) for b in data)
    return "const unsigned char %s[] = {%s};\n" % (name, body)
def tree(root):
    out = []
    for d, _, files in os.walk(os.fsencode(root)):
        for f in sorted(files):
            p = os.path.join(d, f)
            rel = os.path.relpath(p, os.fsencode(root)).replace(b"/", b"\\")
            out.append((rel, open(p, "rb").read()))
    return sorted(out)
def cstr(b):
    return '"' + "".join("\\x%02x" % c for c in b) + '"'
lines = ["// Made by loadzip_make_data.sh with zip, jlha, unzip and lhasa; do not edit.\n",
         "#pragma once\n#include <string>\n#include <vector>\n#include <utility>\n",
         "namespace loadzipdata {\n"]
lines.append(arr("kZip", open("t.zip", "rb").read()))
lines.append(arr("kLzh", open("t.lzh", "rb").read()))
for name, root in (("kZipFiles", "zx"), ("kLzhFiles", "lx")):
    lines.append("inline std::vector<std::pair<std::string, std::string>> %s() {\n  return {\n" % name)
    for rel, data in tree(root):
        lines.append("    {std::string(%s, %d), std::string(%s, %d)},\n" % (cstr(rel), len(rel), cstr(data), len(data)))
    lines.append("  };\n}\n")
lines.append("}  // namespace loadzipdata\n")
open(sys.argv[1], "w").writelines(lines)
PY
