#!/usr/bin/python3
# Writes the folder trees of test mail items and has "gsf createole" turn
# each into a compound file:
#   mail_full.msg  8-bit (001E) and UTF-16 (001F) properties, a body with lone
#                  CRs, TO, CC, a Japanese sender, three attachments: a text
#                  file "notes.txt", "..\..\evil.txt" and a "%PDF" file without
#                  a long name
#   mail_plain.msg a subject and a body, no attachment
# Usage: make_msg_fixtures.py OUTDIR
import os
import shutil
import struct
import subprocess
import sys

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def u16(text):
    return text.encode("utf-16-le") + b"\0\0"


def a8(text):
    return text.encode("ascii") + b"\0"


def properties(top):
    # A property table header (the reader of the oracle wants one).
    return b"\0" * (32 if top else 8)


def write_tree(root, tree):
    for name, value in tree.items():
        path = os.path.join(root, name)
        if isinstance(value, dict):
            os.makedirs(path, exist_ok=True)
            write_tree(path, value)
        else:
            with open(path, "wb") as f:
                f.write(value)


def make(name, tree):
    folder = os.path.join(out, name + ".tree")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    write_tree(folder, tree)
    target = os.path.join(out, name)
    if os.path.exists(target):
        os.remove(target)
    # The tree's entries in a fixed order: gsf takes them as given.
    entries = sorted(os.listdir(folder))
    subprocess.run(["gsf", "createole", target] + entries, cwd=folder, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


notes = b"Line one of the notes.\r\nLine two.\r\n" * 3
evil = b"evil contents\r\n"
pdf = b"%PDF-1.4\n1 0 obj << >> endobj\ntrailer\n%%EOF\n"
body = "First line of the body.\rSecond line\rThird line.\r\n"

full = {
    "__properties_version1.0": properties(True),
    "__substg1.0_0037001E": a8("Quarterly report"),
    "__substg1.0_1000001F": u16(body),
    "__substg1.0_0E04001F": u16("Alice Example"),
    "__substg1.0_0E03001E": a8("Bob Example"),
    "__substg1.0_0042001F": u16("山田 太郎"),
    "__substg1.0_001A001E": a8("IPM.Note"),
    "__attach_version1.0_#00000000": {
        "__properties_version1.0": properties(False),
        "__substg1.0_37010102": notes,
        "__substg1.0_3707001E": a8("notes.txt"),
        "__substg1.0_3704001E": a8("notes.txt"),
    },
    "__attach_version1.0_#00000001": {
        "__properties_version1.0": properties(False),
        "__substg1.0_37010102": evil,
        "__substg1.0_3707001F": u16("..\\..\\evil.txt"),
        "__substg1.0_3704001E": a8("evil.txt"),
    },
    "__attach_version1.0_#00000002": {
        "__properties_version1.0": properties(False),
        "__substg1.0_37010102": pdf,
        "__substg1.0_3704001E": a8("report.pdf"),
    },
}
make("mail_full.msg", full)

plain = {
    "__properties_version1.0": properties(True),
    "__substg1.0_0037001E": a8("Plain subject"),
    "__substg1.0_1000001E": a8("Only a body.\r\n"),
    "__substg1.0_001A001E": a8("IPM.Note"),
}
make("mail_plain.msg", plain)

# The attachment bytes, for the extraction tests.
for i, data in enumerate([notes, evil, pdf], 1):
    with open(os.path.join(out, "attachment%d.bin" % i), "wb") as f:
        f.write(data)
