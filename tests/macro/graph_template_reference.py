#!/usr/bin/env python3
"""Writes the graph subroutine's text, as the program holds it (code page
932), from the hand-written fixture of its fragments.

usage: graph_template_reference.py FIXTURE OUT
"""
import sys

ESCAPES = {"r": "\r", "n": "\n", "t": "\t", "\\": "\\"}


def decode(line):
    out, i = [], 0
    while i < len(line):
        if line[i] == "\\":
            out.append(ESCAPES[line[i + 1]])
            i += 2
        else:
            out.append(line[i])
            i += 1
    return "".join(out)


def main():
    fixture, out = sys.argv[1], sys.argv[2]
    with open(fixture, encoding="utf-8") as f:
        frags = [l.rstrip("\n") for l in f if not l.startswith("# ")]
    if len(frags) != 136:
        sys.exit("expected 136 fragments, found %d" % len(frags))
    with open(out, "wb") as f:
        f.write("".join(decode(x) for x in frags).encode("cp932"))


main()
