#!/bin/sh
# Writes flist_open_data.h beside this script: the archives the file list's
# double-click test extracts, each with the files that unzip or lhasa make
# of it (path below the target, bytes):
# - kAlbum: a ZIP made by "zip -r" of a tree with Shift-JIS names ("表",
#   "ソ", "予") and blanks, several members;
# - kOne: a ZIP made by zip holding one member "m.txt" (time 2024-05-06
#   07:08:10) and its bytes kOneData;
# - kEvilUp, kEvilBack: one-member ZIPs made by Python's zipfile whose member
#   names are "../../evil.txt" and "..\x";
# - kLzh: an LZH made by jlha-utils' "lha a" of a small tree.
set -e
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
hyo=$(printf '\225\\')
so=$(printf '\203\\')
yo=$(printf '\227\\')
mkdir -p "album/$hyo dir/sub" lsrc/d
printf 'first photo\r\n' > "album/$hyo dir/p 1.txt"
seq 1 700 > "album/$hyo dir/sub/${so}ft.txt"
printf '%s\r\n' "$yo" > "album/${yo}.txt"
printf 'top\r\n' > album/top.txt
(cd album && zip -qr ../album.zip .)
mkdir zx && (cd zx && unzip -q ../album.zip)
seq 1 300 > m.txt
TZ=Asia/Tokyo touch -t 202405060708.10 m.txt
TZ=Asia/Tokyo zip -q one.zip m.txt
printf 'lha one\r\n' > lsrc/one.txt
seq 1 400 > lsrc/d/two.txt
(cd lsrc && lha aq ../t.lzh one.txt d/two.txt > /dev/null 2>&1)
mkdir lx && (cd lx && lhasa xq ../t.lzh)
/usr/bin/python3 - "$here/flist_open_data.h" <<'PY'
import os, sys, zipfile, io
def arr(name, data):
    return "const unsigned char %s[] = {%s};\n" % (name, ",".join(str(b) for b in data))
def cstr(b):
    return '"' + "".join("\\x%02x" % c for c in b) + '"'
def tree(root):
    out = []
    for d, _, files in os.walk(os.fsencode(root)):
        for f in sorted(files):
            p = os.path.join(d, f)
            rel = os.path.relpath(p, os.fsencode(root)).replace(b"/", b"\\")
            out.append((rel, open(p, "rb").read()))
    return sorted(out)
def one(name, data):
    b = io.BytesIO()
    with zipfile.ZipFile(b, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo(name, (2023, 3, 4, 5, 6, 8)), data)
    return b.getvalue()
lines = ["// Made by flist_open_make_data.sh with zip, unzip, lha, lhasa and Python; do not edit.\n",
         "#pragma once\n#include <string>\n#include <utility>\n#include <vector>\n",
         "namespace flistopendata {\n"]
lines.append(arr("kAlbum", open("album.zip", "rb").read()))
lines.append(arr("kOne", open("one.zip", "rb").read()))
lines.append(arr("kOneData", open("m.txt", "rb").read()))
lines.append(arr("kEvilUp", one("../../evil.txt", b"up and out\n")))
lines.append(arr("kEvilBack", one("..\\x", b"back and out\n")))
lines.append(arr("kLzh", open("t.lzh", "rb").read()))
for name, root in (("kAlbumFiles", "zx"), ("kLzhFiles", "lx")):
    lines.append("inline std::vector<std::pair<std::string, std::string>> %s() {\n  return {\n" % name)
    for rel, data in tree(root):
        lines.append("    {std::string(%s, %d), std::string(%s, %d)},\n" % (cstr(rel), len(rel), cstr(data), len(data)))
    lines.append("  };\n}\n")
lines.append("}  // namespace flistopendata\n")
open(sys.argv[1], "w").writelines(lines)
PY
