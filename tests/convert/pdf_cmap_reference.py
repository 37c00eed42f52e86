"""The ToUnicode maps of a PDF as qpdf reads them: for each map object,
"obj N" and then one "code value" line per code of its bfchar and bfrange
entries (a value of several characters counts by its first four digits).

    pdf_cmap_reference.py FILE.pdf
"""
import json
import re
import subprocess
import sys

pdf = sys.argv[1]
# qpdf's JSON keeps the file's own object numbers (objects in object streams
# included).
objects = json.loads(subprocess.run(["qpdf", "--json=2", "--json-key=qpdf", pdf],
                                    capture_output=True, check=True).stdout)["qpdf"][1]
objs = set()
for value in objects.values():
    m = re.search(r'"/ToUnicode": "(\d+) 0 R"', json.dumps(value))
    if m:
        objs.add(int(m.group(1)))
objs = sorted(objs)
for n in objs:
    cmap = subprocess.run(["qpdf", "--show-object=%d" % n, "--filtered-stream-data", pdf],
                          capture_output=True, check=True).stdout
    print("obj", n)
    for sect in re.finditer(rb"beginbfchar(.*?)endbfchar", cmap, re.S):
        toks = re.findall(rb"<([0-9A-Fa-f]*)>", sect.group(1))
        for s, d in zip(toks[0::2], toks[1::2]):
            print(int(s, 16), int(d[:4], 16))
    for sect in re.finditer(rb"beginbfrange(.*?)endbfrange", cmap, re.S):
        for m in re.finditer(rb"<([0-9A-Fa-f]+)>\s*<([0-9A-Fa-f]+)>\s*(\[[^\]]*\]|<[0-9A-Fa-f]+>)", sect.group(1)):
            lo, hi, d = int(m.group(1), 16), int(m.group(2), 16), m.group(3)
            if d.startswith(b"["):
                for i, v in enumerate(re.findall(rb"<([0-9A-Fa-f]*)>", d)):
                    if lo + i <= hi:
                        print(lo + i, int(v[:4], 16))
            else:
                v = int(d[1:-1][:4], 16)
                for c in range(lo, hi + 1):
                    print(c, (v + c - lo) & 0xFFFF)
