#!/usr/bin/python3
# The oracle of the mail-item tests: msgconvert turns a .msg into a MIME
# message, Python's email module reads it. Writes, in code page 932, one line
# per field: "subject", "to", "cc", "body" (line ends as "\n" escapes, the
# text stripped), and "attachment<TAB>name<TAB>file" for each attachment,
# whose decoded bytes are written to OUTDIR/oracle_attachment<N>.bin.
# Usage: msg_reference.py FILE.msg OUTDIR
import email
import email.policy
import email.utils
import os
import subprocess
import sys

msg_path, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)
eml = os.path.join(out, os.path.basename(msg_path) + ".eml")
subprocess.run(["msgconvert", "--outfile", eml, msg_path], check=True,
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
with open(eml, "rb") as f:
    m = email.message_from_binary_file(f, policy=email.policy.default)


def line_text(s):
    s = s.replace("\r\n", "\n").replace("\r", "\n").strip()
    return s.replace("\n", "\\n")


lines = []
lines.append("subject\t%s" % line_text(str(m.get("subject", ""))))
for key in ("to", "cc"):
    people = email.utils.getaddresses([str(m.get(key, ""))])
    lines.append("%s\t%s" % (key, ", ".join(name or addr for name, addr in people)))
body = m.get_body(preferencelist=("plain",))
lines.append("body\t%s" % line_text(body.get_content() if body else ""))
n = 0
for part in m.iter_attachments():
    n += 1
    path = os.path.join(out, "oracle_attachment%d.bin" % n)
    with open(path, "wb") as f:
        f.write(part.get_payload(decode=True) or b"")
    lines.append("attachment\t%s\t%s" % (part.get_filename() or "", path))
sys.stdout.buffer.write(("\n".join(lines) + "\n").encode("cp932"))
