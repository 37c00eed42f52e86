#!/usr/bin/python3
"""Checks our page text of a ".docx" against outside readings of the same
file: every word of python-docx's read-back (one a line, UTF-8) appears in
our text (Shift-JIS) in the same order, and every word of LibreOffice's
text export, when one is given, appears in it too (that export puts the
words of nested tables inside their cells; our pages draw them after the
body). Prints what is missing or out
of order; prints nothing when all is found.

usage: docx_reference.py OURS WORDS [LO_TEXT]"""
import sys

ours = open(sys.argv[1], 'rb').read().decode('cp932')
# Table rules and cell walls are ours, not the document's.
flat = ' '.join(ours.replace('|', ' ').split())


def check(words, source, ordered=True):
    at = 0
    for w in words:
        if not ordered:
            if flat.find(w) < 0:
                print('%s: missing: %r' % (source, w))
                return
            continue
        i = flat.find(w, at)
        if i < 0:
            where = 'missing' if flat.find(w) < 0 else 'out of order'
            print('%s: %s: %r' % (source, where, w))
            return
        at = i + len(w)


check([w for w in open(sys.argv[2], encoding='utf-8').read().split('\n') if w], 'python-docx')
if len(sys.argv) > 3:
    check(open(sys.argv[3], encoding='utf-8-sig').read().split(), 'LibreOffice', ordered=False)
