# Writes a folder of Japanese, hidden, read-only, dot, empty and sparse
# entries into argv[1], then prints what a name-ordered listing (folders
# first) of it must hold: kind, name (UTF-8), size, read-only, hidden and
# the date text, one tab-separated line per entry.
import os, sys, time

root = sys.argv[1]
names = ["報告.txt", "表示.csv", "ソフト一覧.TXT", "予定", "ﾃｽﾄ.dat", "abc.txt", "ABD.txt", "empty.bin",
         ".dotfile", ".dotdir", "Zeta", "big.iso", "readonly.txt", "x" * 120 + ".long"]
folders = {"予定", ".dotdir", "Zeta"}
for i, n in enumerate(names):
    p = os.path.join(root, n)
    if n in folders:
        os.mkdir(p)
    else:
        with open(p, "wb") as f:
            f.write(b"z" * (0 if n == "empty.bin" else 10 * i + 1))
    os.utime(p, (1600000000 + 86399 * i, 1600000000 + 86399 * i))
with open(os.path.join(root, "big.iso"), "r+b") as f:
    f.truncate(3 * 1024 ** 3)
os.chmod(os.path.join(root, "readonly.txt"), 0o444)
os.utime(os.path.join(root, "big.iso"), (1700000000, 1700000000))

def key(name):
    b = name.encode("cp932")[:250]
    out, lead = bytearray(), False
    for c in b:
        if not lead and 0x41 <= c <= 0x5A:
            c += 0x20
        out.append(c)
        lead = (not lead) and (0x80 <= c <= 0x9F or 0xE0 <= c <= 0xEF or 0xFA <= c <= 0xFC)
    return bytes(out)

entries = list(os.scandir(root))
dirs = sorted([e for e in entries if e.is_dir()], key=lambda e: key(e.name))
files = sorted([e for e in entries if not e.is_dir()], key=lambda e: key(e.name))
for e in dirs + files:
    st = os.stat(e.path)
    ro = 0 if (st.st_mode & 0o200) else 1
    hidden = 1 if e.name.startswith(".") else 0
    print("%s\t%s\t%d\t%d\t%d\t%s" % ("d" if e.is_dir() else "f", e.name, -1 if e.is_dir() else st.st_size, ro, hidden,
                                      time.strftime(" %m/%d'%y %H:%M", time.localtime(int(st.st_mtime)))))
