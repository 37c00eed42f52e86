# The folder listing of "filelist" written by Python: a header row, then one
# row per file (name, extension, size, local modification time), fields
# joined by 0x06 and rows by CR LF, from os.scandir and stat.
import os
import sys
import time

folder = sys.argv[1]
rows = ["name\x06ext\x06vol\x06date"]
for e in os.scandir(folder):
    if e.is_dir(follow_symlinks=False):
        continue
    st = e.stat(follow_symlinks=False)
    name = e.name
    dot = name.rfind(".")
    ext = name[dot:] if len(name) > 1 and dot >= 0 else ""
    stamp = time.strftime("%Y%m%d%H%M%S", time.localtime(st.st_mtime))
    rows.append("%s\x06%s\x06%d\x06%s" % (name, ext, st.st_size, stamp))
sys.stdout.write("\r\n".join(rows))
