#!/bin/sh
# Makes archives with outside tools for the extraction tests.
#   make_fixtures.sh DIR zip|refused|lzh|lzhwide
# zip:     DIR/src/ (files, folders, an empty folder, a Japanese name) and
#          archives of it: zip -0/-1/-9, 7z, Python's zipfile (stored and
#          deflated, also written to a non-seekable stream: data descriptors),
#          "cat f | zip out.zip -", a "PK00"-prefixed copy, an empty archive,
#          one with a comment; each DIR/NAME.zip beside DIR/NAME.ref/, what
#          "unzip -o" makes of it.
# refused: bzip2 (method 12), Deflate64 (method 9), zip -P (encrypted),
#          zip -fz and Python's ZIP64 members, each after a plain first member.
# lzh:     DIR/lN.lzh (jlha, header levels 0-2, "-lh5-" and "-lh0-") and
#          DIR/lN.ref/ as lhasa extracts it.
# lzhwide: DIR/o6.lzh and DIR/o7.lzh (jlha methods 6 and 7) with DIR/oN.ref/.
set -e
dir=$1
what=$2
mkdir -p "$dir"
cd "$dir"
export TZ=UTC

sources() {
  rm -rf src && mkdir -p src/d1/sub src/emptydir
  python3 - <<'PY'
import os, random
random.seed(5)
def text(n):
    w = [b"alpha ", b"beta ", b"gamma\r\n", b"\x83\x65\x83\x4c\x83\x58\x83\x67 ", b"12345 "]
    out = bytearray()
    while len(out) < n: out += random.choice(w)
    return bytes(out[:n])
files = {"a.txt": text(40000), "rand.bin": os.urandom(30000), "empty.txt": b"",
         "d1/b.txt": text(500), "d1/sub/c.txt": b"deep", "inner.zip": b""}
for k, v in files.items(): open(os.path.join("src", k), "wb").write(v)
open(os.path.join("src", "d1", "\u30bd\u30d5\u30c8\u8868.txt"), "wb").write(text(3000))
PY
  touch -d '2021-06-15 10:20:30' src/a.txt src/d1/b.txt
}

ref() {  # archive -> archive.ref/
  rm -rf "$1.ref" && mkdir "$1.ref"
  unzip -q -o "$1" -d "$1.ref" >/dev/null 2>&1 || true
}

zips() {
  sources
  (cd src && zip -q -X -0 ../inner.zip a.txt && cp ../inner.zip inner.zip)
  (cd src && zip -q -X -r -0 ../z0.zip . && zip -q -X -r -1 ../z1.zip . && zip -q -X -r -9 ../z9.zip . &&
   7z a -tzip -bd -bso0 ../sevenzip.zip . >/dev/null)
  python3 - <<'PY'
import zipfile, os, io
def add_all(z, compress):
    for root, dirs, files in os.walk("src"):
        for d in dirs:
            p = os.path.join(root, d); z.write(p, os.path.relpath(p, "src") + "/")
        for f in files:
            p = os.path.join(root, f); z.write(p, os.path.relpath(p, "src"), compress_type=compress)
for name, comp in (("pystored.zip", zipfile.ZIP_STORED), ("pydeflated.zip", zipfile.ZIP_DEFLATED)):
    with zipfile.ZipFile(name, "w") as z: add_all(z, comp)
class Stream(io.RawIOBase):  # no seek: zipfile writes data descriptors
    def __init__(self, f): self.f = f
    def writable(self): return True
    def write(self, b): return self.f.write(b)
for name, comp in (("pystream0.zip", zipfile.ZIP_STORED), ("pystream8.zip", zipfile.ZIP_DEFLATED)):
    with open(name, "wb") as f:
        with zipfile.ZipFile(Stream(f), "w") as z: add_all(z, comp)
with zipfile.ZipFile("empty.zip", "w") as z: pass
with zipfile.ZipFile("comment.zip", "w") as z:
    z.writestr("c.txt", "with a comment"); z.comment = b"a comment at the end"
PY
  cat src/a.txt | zip -q stdin.zip -
  { printf 'PK00'; cat z9.zip; } > pk00.zip
  for z in z0 z1 z9 sevenzip pystored pydeflated pystream0 pystream8 empty comment stdin pk00; do ref $z.zip; done
}

refused() {
  sources
  (cd src && zip -q -X -Z bzip2 ../bzip2.zip a.txt d1/b.txt)
  (cd src && 7z a -tzip -mm=Deflate64 -bd -bso0 ../deflate64.zip a.txt d1/b.txt >/dev/null)
  (cd src && zip -q -X ../crypt.zip d1/b.txt && zip -q -X -P secret ../crypt.zip a.txt)
  (cd src && zip -q -X -fz ../zip64.zip d1/b.txt a.txt)
  python3 - <<'PY'
import zipfile
with zipfile.ZipFile("pyzip64.zip", "w") as z:
    z.writestr("first.txt", "plain")
    with z.open("big.txt", "w", force_zip64=True) as f: f.write(b"x" * 1000)
PY
}

lzh() {
  sources
  for l in 0 1 2; do
    rm -rf l$l.lzh l$l.ref
    (cd src && lha c${l}y ../l$l.lzh a.txt rand.bin empty.txt d1 >/dev/null 2>&1)
    mkdir l$l.ref && (cd l$l.ref && lhasa xq ../l$l.lzh >/dev/null 2>&1)
  done
}

lzhwide() {
  sources
  for m in 6 7; do
    rm -rf o$m.lzh o$m.ref
    (cd src && lha ao${m}y ../o$m.lzh a.txt rand.bin d1 >/dev/null 2>&1)
    mkdir o$m.ref && (cd o$m.ref && lhasa xq ../o$m.lzh >/dev/null 2>&1)
  done
}

case "$what" in
  zip) zips ;;
  refused) refused ;;
  lzh) lzh ;;
  lzhwide) lzhwide ;;
  *) echo "unknown: $what" >&2; exit 2 ;;
esac
