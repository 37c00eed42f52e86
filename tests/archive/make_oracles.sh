#!/bin/sh
# Makes oracle data for the archive tests with outside tools.
#   make_oracles.sh DIR sources|raw|zip|lzh|verify
# sources: DIR/src/ test files (text, binary, compressed, edge sizes, folders,
#          a Japanese name); raw: Deflate streams by Python's zlib in DIR/raw/;
# zip: DIR/z0.zip z1.zip z9.zip (zip) and DIR/7z.zip (7-Zip);
# lzh: DIR/l0.lzh l1.lzh l2.lzh (jlha-utils, header levels 0-2) and the
#      concatenated member data lhasa prints for each (DIR/lN.out);
# verify: inflates every DIR/ours/NAME.deflate with zlib and compares it
#         with DIR/src/NAME; prints "OK count" or the failing names.
set -e
dir=$1
what=$2
mkdir -p "$dir"
cd "$dir"

sources() {
  rm -rf src && mkdir -p src/dir1/sub
  python3 - <<'PY'
import os, random, zlib
random.seed(11)
words = [b"the ", b"archive ", b"codec ", b"reads ", b"and ", b"writes ", b"ZIP ", b"LZH ", b"data, ",
         b"members ", b"\x83\x65\x83\x4c\x83\x58\x83\x67 ", b"tables.\r\n", b"Huffman ", b"window "]
def text(n):
    out = bytearray()
    while len(out) < n:
        out += random.choice(words)
        if random.random() < 0.05: out += str(random.randrange(100000)).encode()
    return bytes(out[:n])
def rnd(n): return bytes(random.getrandbits(8) for _ in range(n))
files = {
  "text.txt": text(300000),
  "rand.bin": os.urandom(70000),
  "empty.bin": b"",
  "one.bin": b"Q",
  "k64m.bin": text(65535),
  "k64.bin": text(65536),
  "k64p.bin": text(65537),
  "gz.bin": zlib.compress(text(200000), 9),
  "dir1/sub/small.txt": b"hello",
}
# 10 MB: text, binary tables and runs, so all block kinds and the slide occur.
big = bytearray()
while len(big) < 10 * 1024 * 1024:
    k = random.randrange(4)
    if k == 0: big += text(random.randrange(1000, 50000))
    elif k == 1: big += bytes([random.randrange(256)]) * random.randrange(10, 5000)
    elif k == 2: big += b"".join(i.to_bytes(4, "little") for i in range(random.randrange(100, 5000)))
    else: big += os.urandom(random.randrange(100, 20000))
files["big.bin"] = bytes(big[:10 * 1024 * 1024])
for k, v in files.items():
    open(os.path.join("src", k), "wb").write(v)
# A Japanese file name (UTF-8 on disk; jlha stores it in Shift-JIS).
open(os.path.join("src", "dir1", "\u30bd\u30d5\u30c8\u8868.txt"), "wb").write(text(20000))
PY
}

raw() {
  [ -d src ] || sources
  rm -rf raw && mkdir raw
  python3 - <<'PY'
import zlib, os
def deflate(data, level=6, strategy=zlib.Z_DEFAULT_STRATEGY, flush_every=0):
    c = zlib.compressobj(level, zlib.DEFLATED, -15, 8, strategy)
    if not flush_every:
        return c.compress(data) + c.flush()
    out = b""
    for i in range(0, len(data), flush_every):
        out += c.compress(data[i:i + flush_every]) + c.flush(zlib.Z_SYNC_FLUSH)
    return out + c.flush()
variants = {
  "l0": dict(level=0), "l1": dict(level=1), "l6": dict(level=6), "l9": dict(level=9),
  "fixed": dict(strategy=zlib.Z_FIXED), "huff": dict(strategy=zlib.Z_HUFFMAN_ONLY),
  "rle": dict(strategy=zlib.Z_RLE), "sync": dict(flush_every=7000),
}
for name in ["text.txt", "rand.bin", "empty.bin", "one.bin", "k64m.bin", "k64p.bin", "gz.bin"]:
    data = open(os.path.join("src", name), "rb").read()
    for v, kw in variants.items():
        open(os.path.join("raw", name + "." + v), "wb").write(deflate(data, **kw))
PY
}

zips() {
  [ -d src ] || sources
  rm -f z0.zip z1.zip z9.zip 7z.zip
  (cd src && zip -q -X -r -0 ../z0.zip text.txt rand.bin empty.bin k64p.bin gz.bin dir1 &&
   zip -q -X -r -1 ../z1.zip text.txt rand.bin empty.bin k64p.bin gz.bin dir1 &&
   zip -q -X -r -9 ../z9.zip text.txt rand.bin empty.bin k64p.bin gz.bin big.bin dir1 &&
   7z a -tzip -bd -bso0 ../7z.zip text.txt rand.bin one.bin k64m.bin gz.bin dir1 >/dev/null)
}

lzh() {
  [ -d src ] || sources
  for l in 0 1 2; do
    rm -f l$l.lzh
    (cd src && lha c${l}y ../l$l.lzh text.txt rand.bin empty.bin one.bin k64p.bin gz.bin dir1 >/dev/null 2>&1)
    lhasa pq l$l.lzh > l$l.out
  done
}

verify() {
  python3 - <<'PY'
import zlib, os
bad = []
names = sorted(os.listdir("ours"))
for f in names:
    name = f[:-len(".deflate")]
    src = open(os.path.join("src", name), "rb").read()
    try:
        out = zlib.decompress(open(os.path.join("ours", f), "rb").read(), -15)
    except zlib.error as e:
        bad.append(name + ":" + str(e)); continue
    if out != src: bad.append(name)
print("OK %d" % len(names) if not bad else "FAIL " + " ".join(bad))
PY
}

case "$what" in
  sources) sources ;;
  raw) raw ;;
  zip) zips ;;
  lzh) lzh ;;
  verify) verify ;;
  *) echo "unknown: $what" >&2; exit 2 ;;
esac
