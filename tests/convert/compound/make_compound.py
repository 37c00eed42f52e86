"""Makes the compound-file test inputs in a folder (argument 1) and, for each
file olefile can read, the oracle: <file>.streams/ with one file per stream
and a manifest "name<TAB>index<TAB>size" per line.

Crafted files come from cfb_write.py; "gsf createole" builds files from
folder trees; LibreOffice (a private profile in the folder, one batch, cached
by the hash of the source) makes .doc and .xls files. Missing tools leave
their files out; the tests skip naming them."""
import hashlib
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cfb_write  # noqa: E402

out = os.path.abspath(sys.argv[1])
os.makedirs(out, exist_ok=True)
# Test processes run side by side: one maker at a time.
import fcntl  # noqa: E402
_lock = open(os.path.join(out, ".lock"), "w")
fcntl.flock(_lock, fcntl.LOCK_EX)


def pattern(seed, n):
    return bytes((seed * 31 + i * 7 + (i >> 9)) & 0xFF for i in range(n))


def save(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


word = [("WordDocument", pattern(1, 9000)), ("1Table", pattern(2, 3000)),
        ("Data", pattern(3, 5000)), ("\x05DocumentSummaryInformation", pattern(4, 4096)),
        ("Pictures", pattern(5, 700))]
# The first entry after the root is "Data": slot 1 takes it.
save("crafted_word.doc", cfb_write.build([word[2], word[0], word[1], word[3], word[4]]))
save("crafted_small_main.doc", cfb_write.build([("WordDocument", pattern(6, 1500)), ("0Table", pattern(7, 4100))]))
save("summary_other.doc", cfb_write.build([word[0], ("\x05DocumentSummaryInformation", pattern(8, 4608))]))
save("straight.doc", cfb_write.build([("WordDocument", pattern(9, 6000)), ("1Table", pattern(10, 5000))],
                                     straight_difat=True))
save("not_root.doc", cfb_write.build([("WordDocument", pattern(11, 6000))], first_name="Xoot Entry"))
save("kind99_all.bin", cfb_write.build([("PowerPoint Document", pattern(12, 5000)), ("WordDocument", pattern(13, 5000)),
                                        ("Workbook", pattern(14, 5000))]))
save("kind99_word.bin", cfb_write.build([("1Table", pattern(15, 4200)), ("WordDocument", pattern(16, 5000))]))
save("kind99_ppt.bin", cfb_write.build([("Pictures", pattern(17, 4200)), ("Current User", pattern(18, 100))]))
save("kind99_none.bin", cfb_write.build([("Contents", pattern(19, 5000))]))
save("workbook_tail.xls", cfb_write.build([("Workbook", pattern(20, 6000)),
                                           ("\x05SummaryInformation", b"\0" * 600 + b"\x1e\x10\0\0" + b"\0" * 3600)]))
# Hostile: chains that loop, starts outside the table, the directory beyond
# the file, a DIFAT that names itself.
save("fat_cycle.doc", cfb_write.build([("WordDocument", pattern(21, 9000))], fat_patch={3: 1}))
save("start_81920.doc", cfb_write.build([("WordDocument", pattern(22, 5000)), ("1Table", pattern(23, 5000))],
                                        start_patch={"1Table": 81920}))
save("start_16m.doc", cfb_write.build([("WordDocument", pattern(24, 5000)), ("1Table", pattern(25, 5000))],
                                      start_patch={"1Table": 16000000}))
save("dir_beyond.doc", cfb_write.build([("WordDocument", pattern(26, 5000))], dir_sector_patch=60000))
save("difat_cycle.doc", cfb_write.build([("WordDocument", pattern(27, 5000))], difat_cycle=True))


def expect(name, streams):
    """The oracle written by hand for a file olefile refuses."""
    folder = os.path.join(out, name + ".streams")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    lines = []
    for i, (stream, data) in enumerate(streams):
        with open(os.path.join(folder, "%d.bin" % i), "wb") as f:
            f.write(data)
        lines.append("%s\t%d\t%d" % (stream, i, len(data)))
    with open(os.path.join(folder, "manifest.txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


expect("straight.doc", [("WordDocument", pattern(9, 6000)), ("1Table", pattern(10, 5000))])

# gsf createole: a folder tree (a storage included).
if shutil.which("gsf"):
    tree = os.path.join(out, "gsf_tree")
    shutil.rmtree(tree, ignore_errors=True)
    os.makedirs(os.path.join(tree, "ObjectPool", "_123"))
    for name, data in [("WordDocument", pattern(30, 12000)), ("1Table", pattern(31, 2000)),
                       ("Data", pattern(32, 100))]:
        with open(os.path.join(tree, name), "wb") as f:
            f.write(data)
    with open(os.path.join(tree, "ObjectPool", "_123", "CONTENTS"), "wb") as f:
        f.write(pattern(33, 300))
    target = os.path.join(out, "gsf_tree.doc")
    if os.path.exists(target):
        os.remove(target)
    subprocess.run(["gsf", "createole", target, *sorted(os.path.join(tree, n) for n in os.listdir(tree))],
                   check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

# LibreOffice: a text document and a workbook with streams below and above
# 4,096 bytes, converted in one batch with a private profile.
FODT = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.text"><office:body><office:text>
%s
</office:text></office:body></office:document>
"""
FODS = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet"><office:body><office:spreadsheet>
<table:table table:name="Sheet1">%s</table:table></office:spreadsheet></office:body></office:document>
"""
sources = {
    "lo_small.doc": ("fodt", FODT % "<text:p>One short page.</text:p>"),
    "lo_large.doc": ("fodt", FODT % "\n".join("<text:p>Paragraph %d of a longer document with some words.</text:p>" % i
                                               for i in range(600))),
    "lo_small.xls": ("fods", FODS % "<table:table-row><table:table-cell><text:p>a</text:p></table:table-cell></table:table-row>"),
    "lo_large.xls": ("fods", FODS % "".join(
        "<table:table-row><table:table-cell><text:p>row %d text</text:p></table:table-cell></table:table-row>" % i
        for i in range(3000))),
}
soffice = shutil.which("soffice")
if soffice:
    cache = os.path.join(out, "lo_cache")
    os.makedirs(cache, exist_ok=True)
    todo = {}
    for name, (ext, text) in sources.items():
        digest = hashlib.sha256(text.encode()).hexdigest()[:16]
        cached = os.path.join(cache, digest + "." + name.rsplit(".", 1)[1])
        if not os.path.exists(cached):
            src = os.path.join(cache, digest + "." + ext)
            with open(src, "w", encoding="utf-8") as f:
                f.write(text)
            todo.setdefault(name.rsplit(".", 1)[1], []).append(src)
        sources[name] = cached
    profile = "file://" + os.path.join(out, "lo_profile")
    for target_ext, files in todo.items():
        kind = "doc:MS Word 97" if target_ext == "doc" else "xls:MS Excel 97"
        subprocess.run([soffice, "-env:UserInstallation=" + profile, "--headless", "--convert-to", kind,
                        "--outdir", cache, *files], check=False, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300)
    for name, cached in sources.items():
        if os.path.exists(cached):
            shutil.copyfile(cached, os.path.join(out, name))

# The oracle: olefile's bytes of every stream.
try:
    import olefile
except ImportError:
    sys.exit(0)
for name in sorted(os.listdir(out)):
    path = os.path.join(out, name)
    if not os.path.isfile(path) or not olefile.isOleFile(path) or name == "straight.doc":
        continue
    try:
        ole = olefile.OleFileIO(path)
    except Exception:
        continue
    folder = path + ".streams"
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    lines = []
    for i, parts in enumerate(ole.listdir(streams=True, storages=False)):
        stream = "/".join(parts)
        try:
            data = ole.openstream(parts).read()
        except Exception:
            continue
        with open(os.path.join(folder, "%d.bin" % i), "wb") as f:
            f.write(data)
        lines.append("%s\t%d\t%d" % (stream, i, len(data)))
    ole.close()
    with open(os.path.join(folder, "manifest.txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
