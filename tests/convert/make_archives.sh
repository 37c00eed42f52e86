#!/bin/sh
# Makes the archives the listing tests read, in folder $1 (made afresh):
# ZIP archives by zip and by Python's zipfile, LZH archives by jlha at header
# levels 0, 1 and 2, and each one's listing by zipinfo or lhasa beside it.
set -e
dir="$1"
rm -rf "$dir"
mkdir -p "$dir/src/sub"
cd "$dir/src"
echo hello > sub/a.txt
head -c 5000 /dev/urandom > b.bin
seq 1 2000 > c.txt
head -c 1000 /dev/zero > k1.bin
head -c 1000000 /dev/zero > m1.bin
head -c 1000001 /dev/zero > m1p.bin
# An even second: a member's DOS time keeps two-second steps (zip rounds an
# odd second up, into the next minute at :59), while zipinfo shows the exact
# time of zip's extra field.
touch -d '2024-05-06 07:08:10' sub/a.txt b.bin c.txt k1.bin m1.bin m1p.bin
cd ..

# zip: deflated and stored members; the three size forms, stored.
(cd src && zip -q ../deflated.zip c.txt b.bin sub/a.txt)
(cd src && zip -q -0 ../stored.zip c.txt sub/a.txt)
(cd src && zip -q -0 ../sizes.zip k1.bin m1.bin m1p.bin)
# The spanned-archive marker before the first header.
printf 'PK00' > spanned.zip
cat stored.zip >> spanned.zip

python3 - <<'PY'
import io, zipfile

class Stream(io.RawIOBase):
    """A write-only stream that cannot seek, so sizes go to a descriptor."""
    def __init__(self, f): self.f = f
    def writable(self): return True
    def write(self, b): return self.f.write(b)

with open("stream.zip", "wb") as f:
    with zipfile.ZipFile(Stream(f), "w", zipfile.ZIP_DEFLATED) as z:
        with z.open("streamed.txt", "w") as m:
            m.write(b"streamed line\n" * 300)
        with z.open("second.txt", "w") as m:
            m.write(b"x" * 50)

with zipfile.ZipFile("empty.zip", "w"):
    pass

with zipfile.ZipFile("dates.zip", "w") as z:
    z.writestr(zipfile.ZipInfo("old.txt", (1980, 1, 1, 0, 0, 0)), b"old")
    z.writestr(zipfile.ZipInfo("late.txt", (2040, 6, 15, 12, 30, 0)), b"late")
    z.writestr(zipfile.ZipInfo("mid.txt", (2024, 2, 29, 23, 59, 58)), b"mid")

with zipfile.ZipFile("one.zip", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("one.bin", b"A")
PY

for z in deflated stored sizes spanned stream empty dates one; do
  zipinfo -l -T "$z.zip" > "$z.zipinfo" 2>/dev/null || true
done

# LZH at the three header levels, one member in a folder.
for level in 0 1 2; do
  (cd src && jlha "a$level" "../level$level.lzh" sub/a.txt b.bin c.txt > /dev/null 2>&1)
  lhasa v "level$level.lzh" > "level$level.lhasa"
done
