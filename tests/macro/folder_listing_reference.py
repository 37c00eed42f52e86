#!/usr/bin/env python3
"""Lists a folder as the macro's folder listing should: one line per row,
fields separated by TAB (the program writes 0x06), as os.scandir and os.stat
see the entries.

usage: folder_listing_reference.py FOLDER MODE SHOWN OUT
Rows are written in name order (the program keeps the order the file system
gives, so the test sorts both sides); the header is left out.
"""
import os
import sys
import time


def rows(path, mode, shown, out):
    with os.scandir(path) as it:
        entries = sorted(it, key=lambda e: e.name)
    for e in entries:
        folder = e.is_dir()
        st = os.stat(e.path)
        if not folder or mode in (0, 2):
            name = e.name
            dot = name.rfind(".")
            ext = name[dot:] if len(name) > 1 and dot >= 0 else ""
            size = "+" if folder else "%d" % st.st_size
            date = time.strftime("%Y%m%d%H%M%S", time.localtime(st.st_mtime))
            fields = [name, ext, size, date]
            if mode > 1:
                fields.append(shown)
            out.append("\t".join(fields))
        if mode > 1 and folder:
            rows(e.path, mode, shown + "\\" + e.name, out)


def main():
    path, mode, shown, dest = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    out = []
    rows(path, mode, shown, out)
    with open(dest, "w", encoding="utf-8") as f:
        f.write("".join(line + "\n" for line in sorted(out)))


main()
