#!/usr/bin/env python3
"""Reads an embedded object of rich text as an OLE 1.0 reader does.

ole_object_reference.py OBJECT BMP [LENGTH]
  OBJECT  a file holding rich text with one "{\\object ..." group
  BMP     the bitmap file the object must carry
  LENGTH  the bytes of BMP the object carries (default: the whole file)

The "\\objdata" hex is decoded and read field by field: version 0x0501,
format 2 (embedded), the class name "PBrush" with its NUL, empty topic and
item names, the native data's size, the data, then the closing header of
version 0x0501 with format 0 and nothing after it. The data must be the
bitmap's first LENGTH bytes followed by zero bytes up to a multiple of 16.
The group's braces must balance. Prints what it read; exit status 0 when
everything agrees.
"""
import re
import struct
import sys


def fail(msg):
    print("FAIL: " + msg)
    sys.exit(1)


def main():
    rtf = open(sys.argv[1], "rb").read().decode("latin-1")
    bmp = open(sys.argv[2], "rb").read()
    length = int(sys.argv[3]) if len(sys.argv) > 3 else len(bmp)
    start = rtf.find("{\\object")
    if start < 0:
        fail("no object group")
    depth, end = 0, -1
    for i in range(start, len(rtf)):
        if rtf[i] == "{":
            depth += 1
        elif rtf[i] == "}":
            depth -= 1
            if depth == 0:
                end = i + 1
                break
    if end < 0:
        fail("the object group is not closed")
    group = rtf[start:end]
    if "\\objemb" not in group or "{\\*\\objclass Paint.Picture}" not in group:
        fail("not an embedded Paint.Picture object")
    m = re.search(r"\\objw(\d+)\\objh(\d+)", group)
    if not m:
        fail("no \\objw/\\objh")
    at = group.find("{\\*\\objdata")
    if at < 0:
        fail("no objdata")
    hexes = re.sub(r"\s", "", group[at + len("{\\*\\objdata"):].rstrip("}"))
    if not re.fullmatch(r"[0-9a-f]*", hexes) or len(hexes) % 2:
        fail("objdata is not lower-case hex")
    data = bytes.fromhex(hexes)
    pos = 0

    def u32():
        nonlocal pos
        if pos + 4 > len(data):
            fail("cut short at %d" % pos)
        v = struct.unpack_from("<I", data, pos)[0]
        pos += 4
        return v

    if u32() != 0x0501:
        fail("version")
    if u32() != 2:
        fail("format")
    n = u32()
    cls = data[pos:pos + n]
    pos += n
    if cls != b"PBrush\0":
        fail("class %r" % cls)
    if u32() != 0 or u32() != 0:
        fail("topic and item names")
    size = u32()
    native = data[pos:pos + size]
    pos += size
    if len(native) != size:
        fail("native data cut short")
    if u32() != 0x0501 or u32() != 0:
        fail("closing header")
    if pos != len(data):
        fail("%d bytes after the closing header" % (len(data) - pos))
    want = bmp[:length]
    want += b"\0" * (-len(want) % 16)
    if native != want:
        fail("native data differs (%d bytes, want %d)" % (len(native), len(want)))
    print("class PBrush, size %d, objw %s objh %s" % (size, m.group(1), m.group(2)))


if __name__ == "__main__":
    main()
